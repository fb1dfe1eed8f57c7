// Built into the web worker in the sanitized build only (scripts/test-sanitized.sh). Chromium,
// inside Qt WebEngine, deletes objects through a base class of another size, which its own
// allocator allows; AddressSanitizer's check of that stays on in every other program.
// The name is the sanitizer runtime's, which asks for it.
extern "C" const char* __asan_default_options(); // NOLINT(bugprone-reserved-identifier)
extern "C" const char* __asan_default_options()  // NOLINT(bugprone-reserved-identifier)
{
    return "new_delete_type_mismatch=0";
}
