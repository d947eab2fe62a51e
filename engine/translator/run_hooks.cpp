// (trial) the run-time provides these.
