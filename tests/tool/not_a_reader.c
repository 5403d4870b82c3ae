/* A shared library that loads but exports none of the reader's entry points:
   the host tool must say so rather than call into it. */
#if defined(_WIN32)
__declspec(dllexport)
#endif
int not_a_reader_answer(void)
{
    return 42;
}
