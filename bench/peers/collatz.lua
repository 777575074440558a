-- Collatz steps of every start from 1 to 100000 with while and if: nanoseconds per step.
local t = os.clock()
local steps = 0
for k = 1, 100000 do
  local n = k + 0.0
  while n ~= 1 do
    if n % 2 == 0 then n = n / 2 else n = 3 * n + 1 end
    steps = steps + 1
  end
end
t = os.clock() - t
print("collatz ns/step", t * 1e9 / steps)
