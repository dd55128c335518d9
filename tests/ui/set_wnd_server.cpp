// The update client's test server, shared with the settings window tests.
#include "update/test_server.cpp"  // NOLINT(bugprone-suspicious-include)
