# y = x**2 + 3*x; y.sum() over 10^7 doubles with NumPy: milliseconds per round (best of 5).
import time
import numpy as np
x = np.random.rand(10000000)
best = 1e9
for k in range(5):
    t = time.perf_counter()
    y = x**2 + 3*x
    s = y.sum()
    best = min(best, time.perf_counter() - t)
print("whole-array ms", best * 1e3)
