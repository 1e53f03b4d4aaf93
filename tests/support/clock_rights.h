#pragma once
// Belt and braces for tests around clock setting: takes the right to set the system
// clock (CAP_SYS_TIME) away from this process and from every program it starts, so even
// a test that reached the real clock setter by mistake could not change this machine's
// time. Call it before any thread starts (capabilities are per thread; threads and
// children started later inherit the reduced set).
namespace ferrolin::test {

// True when the right is gone (afterwards clock_settime fails with EPERM).
bool DropClockSettingRights();

}  // namespace ferrolin::test
