#include "widgets/CheckDropDown.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace brellow {

namespace {

const QChar kDelimiter = QLatin1Char(',');
const char* const kEmptySelectionText = "None selected";

}  // namespace

CheckDropDown::CheckDropDown(const QStringList& labels, QWidget* parent)
    : QComboBox(parent), items_(new QStandardItemModel(this))
{
    for (const QString& label : labels) {
        auto* item = new QStandardItem(label);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        items_->appendRow(item);
    }
    setModel(items_);
    setEditable(false);
    // Our filter sees the open list's clicks before the drop-down, which would close it.
    view()->viewport()->installEventFilter(this);
    view()->installEventFilter(this);
    connect(items_, &QStandardItemModel::itemChanged, this, [this] {
        update();
        emit CheckedChanged();
    });
}

bool CheckDropDown::IsChecked(int index) const
{
    const QStandardItem* item = items_->item(index);
    return item != nullptr && item->checkState() == Qt::Checked;
}

void CheckDropDown::SetChecked(int index, bool checked)
{
    if (QStandardItem* item = items_->item(index))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void CheckDropDown::UncheckAll()
{
    for (int index = 0; index < items_->rowCount(); ++index)
        SetChecked(index, false);
}

QString CheckDropDown::CheckedText() const
{
    QStringList marked;
    for (int index = 0; index < items_->rowCount(); ++index) {
        if (IsChecked(index))
            marked << items_->item(index)->text();
    }
    return marked.join(kDelimiter);
}

QString CheckDropDown::DisplayText() const
{
    const QString text = CheckedText();
    return text.isEmpty() ? QString::fromLatin1(kEmptySelectionText) : text;
}

void CheckDropDown::SetCheckedText(const QString& text)
{
    QStringList pieces = text.split(kDelimiter);
    for (QString& piece : pieces)
        piece = piece.trimmed();
    for (int index = 0; index < items_->rowCount(); ++index)
        SetChecked(index, pieces.contains(items_->item(index)->text()));
}

void CheckDropDown::ToggleItem(int index)
{
    SetChecked(index, !IsChecked(index));
}

void CheckDropDown::showPopup()
{
    pressedRow_ = -1;
    QComboBox::showPopup();
}

void CheckDropDown::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText = DisplayText();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

bool CheckDropDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view()->viewport() && event->type() == QEvent::MouseButtonPress) {
        pressedRow_ = view()->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).row();
        return true;
    }
    if (watched == view()->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // Only a whole click in the list counts: the release of the click that opened the
        // list lands on an item too.
        const int row = view()->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).row();
        if (row >= 0 && row == pressedRow_)
            ToggleItem(row);
        pressedRow_ = -1;
        return true;
    }
    if (watched == view() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        if (view()->currentIndex().isValid())
            ToggleItem(view()->currentIndex().row());
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}

}  // namespace brellow
