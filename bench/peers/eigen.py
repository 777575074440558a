# numpy.linalg.eigh and eigvalsh of a 500 x 500 symmetric matrix: milliseconds (best of 3).
import time
import numpy as np
rng = np.random.default_rng(5)
b = rng.random((500, 500))
a = b + b.T
bv = be = 1e9
for k in range(3):
    t = time.perf_counter(); w, v = np.linalg.eigh(a); bv = min(bv, time.perf_counter() - t)
    t = time.perf_counter(); w = np.linalg.eigvalsh(a); be = min(be, time.perf_counter() - t)
print("eigvv ms", bv * 1e3)
print("eigval ms", be * 1e3)
