// Stands in for Quartus's libjtag_client.so in the tests. The atlantic
// stand-in needs this symbol without linking to us, as the real one needs the
// real client library: it loads only when we were loaded first, globally.
extern "C" __attribute__((visibility("default"))) int kbr_test_jtag_client_ready() { return 1; }
