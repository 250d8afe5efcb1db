#pragma once
// The dialogs open in the current working directory, and choosing a file in
// any of them makes that file's folder the current working directory.

#include <string>

namespace dw {

// The current working directory, or an empty text when it is unknown.
std::string workingFolder();

// Makes the folder of `fileName` the current working directory; a name
// without a folder, or a folder that cannot be entered, changes nothing.
void enterFolderOf(const std::string& fileName);

}  // namespace dw
