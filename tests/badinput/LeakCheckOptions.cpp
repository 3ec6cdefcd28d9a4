// The leak checker's own settings for the bad-input runs (read only in the
// sanitizer build). With a device the process loads Mesa's driver and LLVM
// through dlopen; at exit the leak checker walks every thread's dynamic TLS
// to find roots, and in some of these runs it met a stale entry and crashed
// in its own tracer, taking the run's result with it. Without scanning TLS
// the check only gets stricter (memory reachable from TLS alone would count
// as lost); what the dynamic loader then keeps for its global scope is the
// loader's, not ours.
extern "C" const char* __lsan_default_options()
{
    return "use_tls=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:add_to_global_resize\n";
}
