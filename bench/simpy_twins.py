"""The benchmark models of bench/models/ written for SimPy 3, so that
bench/run.sh can time the engine beside a general-purpose simulation
library on the same queues. Exponential times are drawn exactly here
(the engine's models use 24-point inverses); the work per customer is
the same: the same arrivals, servers, lines and completions.

Usage: simpy_twins.py MODEL
  mm1        M/M/1, 50000 customers (mm1.txt)
  jobshop    three machine groups in turn, 50000 jobs (jobshop.txt)
  forkjoin   three tasks per job joined again, 30000 jobs (forkjoin.txt)
  inf100     infinite server, 100000 arrivals, about 100 in flight (infinite100.txt)
  inf10k     the same with about 10000 in flight (infinite10k.txt)
Prints the number of completions.
"""
import random
import sys

import simpy


def arrivals(env, rng, count, visit):
    """Starts `visit` for each of `count` arrivals, exponential gaps of mean 1."""

    def source():
        for _ in range(count):
            env.process(visit())
            yield env.timeout(rng.expovariate(1.0))

    env.process(source())


def mm1(env, rng, done):
    server = simpy.Resource(env, capacity=1)

    def customer():
        with server.request() as req:
            yield req
            yield env.timeout(rng.expovariate(1 / 0.8))
        done.append(1)

    arrivals(env, rng, 50000, customer)


def jobshop(env, rng, done):
    groups = [(simpy.Resource(env, capacity=c), mean) for c, mean in ((2, 1.6), (3, 2.4), (2, 1.6))]

    def job():
        for group, mean in groups:
            with group.request() as req:
                yield req
                yield env.timeout(rng.expovariate(1 / mean))
        done.append(1)

    arrivals(env, rng, 50000, job)


def forkjoin(env, rng, done):
    def task():
        yield env.timeout(rng.expovariate(1 / 2.0))

    def job():
        yield env.all_of([env.process(task()) for _ in range(3)])
        done.append(1)

    arrivals(env, rng, 30000, job)


def infinite(mean_stay):
    def model(env, rng, done):
        def visitor():
            yield env.timeout(rng.expovariate(1 / mean_stay))
            done.append(1)

        arrivals(env, rng, 100000, visitor)

    return model


MODELS = {"mm1": mm1, "jobshop": jobshop, "forkjoin": forkjoin, "inf100": infinite(100.0), "inf10k": infinite(10000.0)}


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in MODELS:
        sys.exit(__doc__)
    env = simpy.Environment()
    done = []
    MODELS[sys.argv[1]](env, random.Random(12345), done)
    env.run()
    print(len(done))


if __name__ == "__main__":
    main()
