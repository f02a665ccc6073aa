-- print writes its first argument to the debugger output; the driver reads
-- it from Wine's trace.
print("first", "second")
print(42)
print("\255")
print()
print("last")
