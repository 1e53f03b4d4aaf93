// A stand-in for the vendor's MPEG utility library: the program only checks that these
// entry points exist.
extern "C" {
__attribute__((visibility("default"))) int rtdUtilsTga2Ybr() { return 0; }
__attribute__((visibility("default"))) int rtdUtilsBmp2OsdBuff() { return 0; }
__attribute__((visibility("default"))) int rtdUtilsPrintErr() { return 0; }
}
