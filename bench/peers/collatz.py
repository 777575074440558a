# Collatz steps of every start from 1 to 100000 with while and if: nanoseconds per step.
import time
t = time.perf_counter()
steps = 0
for k in range(1, 100001):
    n = float(k)
    while n != 1:
        if n % 2 == 0:
            n = n / 2
        else:
            n = 3 * n + 1
        steps += 1
t = time.perf_counter() - t
print("collatz ns/step", t * 1e9 / steps)
