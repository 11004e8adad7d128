#include "widgets/FormDialog.h"

#include <QShowEvent>

namespace brellow {

void TFormDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

}  // namespace brellow
