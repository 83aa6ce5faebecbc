#include "forms/windowtitles.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace wagetrove {

#ifdef Q_OS_WIN
namespace {

BOOL CALLBACK addTitle(HWND window, LPARAM titles)
{
    wchar_t title[128] = {};
    const int length = GetWindowTextW(window, title, 128);
    reinterpret_cast<QStringList*>(titles)->append(QString::fromWCharArray(title, length));
    return TRUE;
}

} // namespace

QStringList topLevelWindowTitles()
{
    QStringList titles;
    EnumWindows(addTitle, reinterpret_cast<LPARAM>(&titles));
    return titles;
}
#else
QStringList topLevelWindowTitles()
{
    return {};
}
#endif

} // namespace wagetrove
