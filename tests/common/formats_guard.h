#pragma once
// Sets the process date-time formats for one test and puts the previous ones back.
#include "common/datetime_format.h"

namespace ferrolin::test {

class FormatsGuard {
  public:
    explicit FormatsGuard(const DateTimeFormats& formats) : saved_(Formats()) {
        SetFormats(formats);
    }
    ~FormatsGuard() { SetFormats(saved_); }
    FormatsGuard(const FormatsGuard&) = delete;
    FormatsGuard& operator=(const FormatsGuard&) = delete;

  private:
    DateTimeFormats saved_;
};

inline DateTimeFormats German() {
    return DeriveDateTimeFormats("dd.MM.yyyy", '.', ',');
}
inline DateTimeFormats American() {
    return DeriveDateTimeFormats("M/d/yyyy", '/', '.');
}

}  // namespace ferrolin::test
