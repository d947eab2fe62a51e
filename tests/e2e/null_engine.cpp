// An engine that reads nothing, writes nothing and ends with status 0.
// Every end-to-end check run against it must fail (see null_engine_check.sh).
int main() { return 0; }
