-- A wizard script with a mistake in it.
local ok = true
local x = nil + 1
