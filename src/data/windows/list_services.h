#pragma once
// What the category and to-do windows need of the program.
#include <functional>
#include <string>

#include <QIcon>

#include "data/data_files.h"
#include "data/update_form.h"

class QWidget;

namespace tarvelo {

struct ListServices {
    DataFiles& files;
    std::string iniFile = "Tarvelo96.INI";  // where window positions are kept
    // The Help buttons; none: they stay disabled.
    std::function<void()> help = {};
    // Runs the task form modally over parent with request on task; task comes back as the form left it
    // (the number of a new task included). Returns the form's response.
    std::function<Response(Request request, Task& task, QWidget* parent)> taskForm = {};
};

// A form's outcome and the record it left.
template <class R>
struct FormOutcome {
    Response response = Response::cancelled;
    R record;
};

// An icon of the program's resources (":/icons/<name>.svg"); none in programs built without them.
QIcon resourceIcon(const char* name);

}  // namespace tarvelo
