#pragma once
// The dialogs open in the form's working folder, and choosing a file in any
// of them makes that file's folder the working folder.

#include <string>

namespace dw {

// The process's current working directory, or an empty text when it is unknown.
std::string workingFolder();

// The folder of `fileName` when it has one that exists, otherwise an empty text.
std::string enterableFolderOf(const std::string& fileName);

}  // namespace dw
