// Kalimo tests. MIT licence.
#ifndef ALERT_TEXTS_H
#define ALERT_TEXTS_H

#include "UiTest.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <string>
#include <vector>

// The texts and first buttons of the alerts on screen, after the pending events.
struct ShownAlert {
	std::string text;
	std::string button;
};

inline std::vector<ShownAlert>
ShownAlerts()
{
	UiTest::Run(50);
	std::vector<ShownAlert> alerts;
	for (QWidget* widget : QApplication::topLevelWidgets()) {
		QLabel* label = widget->findChild<QLabel*>("text");
		QPushButton* button = widget->findChild<QPushButton*>("button0");
		if (widget->isVisible() && label != nullptr && button != nullptr)
			alerts.push_back({label->text().toStdString(), button->text().toStdString()});
	}
	return alerts;
}

#endif // ALERT_TEXTS_H
