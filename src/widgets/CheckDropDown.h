#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

class QStandardItemModel;

namespace brellow {

// A drop-down list of check items that is not typed into. Clicking an item in the open
// list marks or unmarks it and leaves the list open. The closed control shows the labels
// of the marked items in item order joined by ",", or "None selected" when none is marked.
class CheckDropDown : public QComboBox {
    Q_OBJECT

public:
    explicit CheckDropDown(const QStringList& labels, QWidget* parent = nullptr);

    bool IsChecked(int index) const;
    void SetChecked(int index, bool checked);
    void UncheckAll();

    // The labels of the marked items joined by ","; empty when none is marked.
    QString CheckedText() const;
    // What the closed control shows.
    QString DisplayText() const;
    // Marks the items whose labels the text names (separated by ","), unmarks all others.
    // A piece that names no item marks nothing.
    void SetCheckedText(const QString& text);

    void showPopup() override;

signals:
    void CheckedChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ToggleItem(int index);

    QStandardItemModel* items_;
    // The list row a press in the open list landed on; -1 when none.
    int pressedRow_ = -1;
};

}  // namespace brellow
