// A shared library that is not a bundle: it carries no resource archive.
extern "C" int runtimetest_plain_answer()
{
  return 42;
}
