-- The mutex probe's wizard script (see tests/host/MutexProbe.cpp): when
-- asked, gives up the instance mutex and lets the probe start "a new copy".
if os.getenv("NELVO_MUTEX_PROBE_RELEASE") == "1" then
  releaseMutex()
  setEnvVar("NELVO_MUTEX_PROBE_GO", "1")
  sleep(500)
end
return 0
