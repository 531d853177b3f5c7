// Preloaded into the processes of `make sanitize`: libraries opened at run time (the
// OpenGL driver above all) stay loaded until the process ends, so that the leak report
// at exit can still name the library an allocation came from and the suppressions can
// match it. Without this the driver is gone by then and its frames show no module.
extern "C" int dlclose(void*) {
    return 0;
}
