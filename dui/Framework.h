#pragma once
// Framework start and stop: the UiContext with its factory and setters, the
// SkinManager, the layout package, msimg32's AlphaBlend and the hidden
// dispatcher window through which posted events reach the UI thread.
// Start once before the first window, stop once after the last.
// Windows build only; UI thread.

namespace nelvo {

// False when the framework already runs or the dispatcher window cannot be
// created (nothing is left running then).
bool startFramework();
// Frees the layout package and the skin caches, destroys the UiContext under
// the framework lock, then runs what is still queued for the dispatcher
// window and destroys it. Nothing when the framework does not run.
void stopFramework();

// Start and stop bound to a scope.
class FrameworkScope {
public:
    FrameworkScope() : started_(startFramework()) {}
    ~FrameworkScope() {
        if (started_) stopFramework();
    }
    FrameworkScope(const FrameworkScope&) = delete;
    FrameworkScope& operator=(const FrameworkScope&) = delete;
    bool started() const { return started_; }

private:
    bool started_;
};

} // namespace nelvo
