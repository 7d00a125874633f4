#include "app/ControlId.h"

#include <QString>
#include <QWidget>

#include "app/ControlIds.h"

void SetControlId(QWidget* widget, int id) {
    widget->setObjectName(QString::number(id));
    widget->setProperty(kControlIdProperty, id);
}
