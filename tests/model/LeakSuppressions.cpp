// Qt keeps a per-thread collator for QString::localeAwareCompare that it never frees; the leak
// checker of the sanitizer build would report it at exit.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:QCollator::defaultCompare\n";
}
