#include "host/LeftOverRun.h"

#include "host/RestartMarker.h"
#include "host/UndoJournal.h"

#include <windows.h>

#include <string>

namespace nelvo {

namespace {

std::wstring lines(const std::vector<std::wstring>& items) {
    std::wstring text;
    for (const std::wstring& item : items) text += L"\r\n" + item;
    return text;
}

} // namespace

void finishLeftOverRun() {
    UndoReport report;
    const std::wstring file = undoJournalPath();
    const UndoJournal::LeftOver found = UndoJournal::finishLeftOver(file, report);
    std::wstring text;
    switch (found) {
    case UndoJournal::LeftOver::None:
        return;
    case UndoJournal::LeftOver::Committed:
        text = L"上次安装已经完成，它留下的临时文件已经删除。";
        break;
    case UndoJournal::LeftOver::Unreadable:
        text = L"上次安装留下的安装记录无法读取：\r\n" + file;
        break;
    case UndoJournal::LeftOver::Undone:
        text = L"上次安装没有完成，它对电脑所做的更改已经撤销。";
        if (!report.complete()) {
            text = L"上次安装没有完成，它对电脑所做的更改未能全部撤销。";
            if (!report.left.empty()) text += L"\r\n\r\n以下更改未能撤销：" + lines(report.left);
            if (!report.atRestart.empty()) text += L"\r\n\r\n以下文件将在重启电脑后恢复：" + lines(report.atRestart);
        }
        if (report.restartNeeded) {
            writeRestartMarker();
            text += L"\r\n\r\n请重启电脑以完成撤销。";
        }
        break;
    }
    MessageBoxW(nullptr, text.c_str(), L"提示", MB_OK);
}

} // namespace nelvo
