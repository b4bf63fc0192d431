#pragma once

#include <QObject>

class QWindow;

// Prints the wall-clock millisecond at which the first top-level window of the given class is
// on screen: mapped by the window system, its first frame drawn and handed to it. In the
// timing mode the process then ends at once, so that shutdown does not count; with `--stay`
// it goes on running untouched, for its memory and idle figures.
class ShownClock : public QObject {
public:
    enum class Mode { ExitAtOnce, Stay };

    ShownClock(const char* className, Mode mode);

    // Takes "--stay" out of the arguments, so that the program after it never sees it.
    static Mode takeMode(int& argc, char** argv);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isWatchedWindow(const QWindow* window) const;

    const char* m_className;
    Mode m_mode;
};
