#pragma once
// The pictures of the task form's Task tab and of the wizards' pages.
#include <QPixmap>

namespace tarvelo {

QPixmap taskPicture();
QPixmap wizardPicture();

}  // namespace tarvelo
