#pragma once

#include <QEventLoop>

#include <functional>

// Starts a window's run with what ends it, and takes the application's events until it has
// ended, as the window's own events would.
inline void RunToEnd(const std::function<void(std::function<void()> ended)> &start)
{
    QEventLoop loop;
    bool over = false;
    start([&] {
        over = true;
        loop.quit();
    });
    if (!over)
        loop.exec();
}
