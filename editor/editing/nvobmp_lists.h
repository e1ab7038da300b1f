// The folder and file lists of the picture import dialog: a list of the
// folders on the way to a path and below it, and a list of the files of a
// folder that match a pattern. Both read the folder at once when their path
// is set, so that a new path's entries are there for the next statement.
// Paths are Latin-1 text like every text of the editor.
#pragma once

#include "editor/shell/event.h"
#include "editor/shell/listbox.h"

#include <string>

// The folders of the path (from the root down, each indented one step
// further) followed by the folders inside it. Activating a line (double
// click, Enter) makes its folder the path.
class DirListBox : public ListBox {
public:
    explicit DirListBox(QWidget* parent = nullptr);

    const std::string& Path() const { return path_; }
    // Shows `path` (normalised); raises Change when it differs from the
    // path shown. False, and nothing changes, when it is no readable folder.
    bool SetPath(const std::string& path);
    // The folder of line `index`, "" outside the list.
    std::string LinePath(int index) const;

    Event<> Change;

private:
    std::string path_;
};

// The files of a folder whose names match one of the patterns (";"
// between them, matched without regard to case), sorted by name.
class FileListBox : public ListBox {
public:
    explicit FileListBox(QWidget* parent = nullptr);

    const std::string& Path() const { return path_; }
    // Lists the folder's files; raises PathChange when the path differs.
    void SetPath(const std::string& path);
    const std::string& Pattern() const { return pattern_; }
    void SetPattern(const std::string& pattern);
    // The selected file's name, "" when none.
    std::string FileName() const { return Text(); }
    // Reads the folder again.
    void Refresh();

    Event<> PathChange;

private:
    std::string path_;
    std::string pattern_ = "*.*";
};
