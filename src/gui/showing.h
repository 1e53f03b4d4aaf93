#pragma once
// Sets a flag for the lifetime of the guard: a tab filling its controls from the core,
// so their change signals are not taken for the operator's input.
namespace ferrolin::gui {

class Showing {
public:
    explicit Showing(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Showing() { flag_ = old_; }
    Showing(const Showing&) = delete;
    Showing& operator=(const Showing&) = delete;

private:
    bool& flag_;
    bool old_;
};

}  // namespace ferrolin::gui
