// Built into the web worker in the sanitized build only (scripts/test-sanitized.sh). Chromium,
// inside Qt WebEngine, deletes objects through a base class of another size, which its own
// allocator allows; AddressSanitizer's check of that stays on in every other program.
extern "C" const char* __asan_default_options();
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}
