// ThreadSanitizer cannot see glibc free the buffers that its name lookups grow
// internally, so a reverse lookup (getnameinfo) on one worker and the next lookup on
// another look like two threads writing one buffer. Those reports are about glibc's
// uninstrumented code, not ours.
extern "C" const char* __tsan_default_suppressions() {
    return "race:__libc_dynarray_emplace_enlarge\n";
}
