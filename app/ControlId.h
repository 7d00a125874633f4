#pragma once

class QWidget;

// A control's numeric id, as the windows' tables and the tests know it: kept in the
// widget's control-id property (read by the context help and the data exchange) and as its
// object name (so that findChild finds it by number).
void SetControlId(QWidget* widget, int id);
