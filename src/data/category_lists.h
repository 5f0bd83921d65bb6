#pragma once
// The parameters of the category lists: the categories in name order (SelectCategories,
// BrowseCategories), and the tasks of one category in description order (the task list of
// UpdateCategories, BrowseSCH:KeyCategory).
#include <functional>
#include <string>
#include <string_view>

#include "data/browse_list.h"

namespace tarvelo {

inline constexpr const char* kCategoryListFormat = "60L(0)|M~Category~@s20@";
// The task list inside the category form.
inline constexpr const char* kCategoryTaskListFormat = "49L|M~Date~@d3@28L|M~Time~@t3@60L|M~Description~@s40@";
// BrowseSCH:KeyCategory.
inline constexpr const char* kTasksByCategoryFormat =
    "60L|M~Category~@s20@60L|M~Description~@s40@47L|M~Date~@d3@33L|M~Time~@t3@60L|M~Task Type~@s20@"
    "60L|M~Schedule Type~@s20@";

BrowseConfig categoryBrowseConfig();

// The tasks whose category equals category() in any letter case, in SCH:KEYCATEGORY order, shown in
// `format` (kCategoryTaskListFormat or kTasksByCategoryFormat). category() is taken again at every
// reset, so a list follows the name being typed into a form.
BrowseConfig categoryTasksConfig(std::string_view format, std::function<std::string()> category);

}  // namespace tarvelo
