#pragma once

#include <QMessageBox>
#include <QString>

#include <vector>

#include "widgets/MessageBoxes.h"

namespace brellow::testing {

// Collects every message box instead of showing it, for as long as it lives.
class CapturedBoxes {
public:
    struct Box {
        QMessageBox::Icon icon;
        QString caption;
        QString text;
    };

    CapturedBoxes()
    {
        SetMessageBoxHandlerForTesting([this](QMessageBox::Icon icon, const QString& caption, const QString& text) {
            boxes.push_back({icon, caption, text});
        });
    }
    ~CapturedBoxes() { SetMessageBoxHandlerForTesting(nullptr); }
    CapturedBoxes(const CapturedBoxes&) = delete;
    CapturedBoxes& operator=(const CapturedBoxes&) = delete;

    std::vector<Box> boxes;
};

}  // namespace brellow::testing
