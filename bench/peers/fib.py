# Recursive fib(27) in pure Python: nanoseconds per call.
import time
def fib(n):
    return n if n < 2 else fib(n - 1) + fib(n - 2)
fib(20)
t = time.perf_counter(); fib(27); t = time.perf_counter() - t
print("fib ns/call", t * 1e9 / 635621)
