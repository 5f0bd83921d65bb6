#include "engine/message_to_do.h"

#include "core/plain_text.h"
#include "data/data_files.h"

namespace tarvelo::engine {

ToDo toDoFromMessage(std::string_view message) {
    ToDo item;
    item.done = 0;
    item.priority = kMessageToDoPriority;
    // One line: the message's line breaks and tabs become blanks. The field keeps the first 40
    // characters, trailing blanks dropped.
    item.todo = withoutControls(message);
    return item;
}

void addMessageToDo(DataFiles& files, std::string_view message) {
    const TableUse use(files, TableId::toDo);
    ToDo item = toDoFromMessage(message);
    if (const store::Status s = files.toDo().add(item); !s.ok()) files.warn()(kWarnRecordInsertError, s);
}

}  // namespace tarvelo::engine
