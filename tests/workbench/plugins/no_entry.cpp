// A shared library that is not a wizard plugin: no INITWIZARD0001.
extern "C" int mirel_test_not_a_plugin() {
  return 42;
}
