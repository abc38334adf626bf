/* Nothing but a version resource: the About test reads it as a pre-release build's. */
int PreReleaseProbe(void) { return 0; }
