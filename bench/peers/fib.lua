-- Recursive fib(27) in Lua: nanoseconds per call.
local function fib(n) if n < 2 then return n else return fib(n - 1) + fib(n - 2) end end
fib(20)
local t = os.clock(); fib(27); t = os.clock() - t
print("fib ns/call", t * 1e9 / 635621)
