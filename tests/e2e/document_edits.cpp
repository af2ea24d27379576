// Runs edits on the desktop editor's board document and saves the board as the desktop editor
// does, so that the browser editor's download can be compared with it byte for byte.
// Usage: document_edits SHEET OUT.brd COMMAND...   where a command is
//   stroke:BUTTON:C,R[:C,R...]  (one stroke through those cells)   select:I   option:I
//   mirror   undo
#include <iostream>
#include <sstream>
#include <string>

#include "editor/board_document.h"
#include "qt_picture/picture_files.h"
#include "shared/board_file.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: document_edits SHEET OUT.brd COMMAND...\n";
        return 2;
    }
    core::Board board;
    editor::BoardDocument document(board);
    core::PictureBox sheet;
    if (qt_picture::LoadPicture(argv[1], sheet) ||
        document.ImportSheet(std::move(sheet)) != core::SheetCheck::Accepted) {
        std::cerr << "cannot use the sheet " << argv[1] << "\n";
        return 1;
    }
    document.New();
    for (int i = 3; i < argc; ++i) {
        std::istringstream words(argv[i]);
        std::string verb;
        std::getline(words, verb, ':');
        if (verb == "stroke") {
            int button = 0;
            char colon = 0;
            words >> button;
            int c = 0;
            int r = 0;
            char comma = 0;
            while (words >> colon >> c >> comma >> r) {
                document.StrokeTo({c, r}, static_cast<std::int16_t>(button));
            }
            document.EndStroke();
        } else if (verb == "select" || verb == "option") {
            int index = 0;
            words >> index;
            verb == "select" ? document.Select(index) : void(document.ChooseOption(index));
        } else if (verb == "mirror") {
            document.SetMirror(!document.Mirror());
        } else if (verb == "undo") {
            document.Undo();
        } else {
            std::cerr << "unknown command " << argv[i] << "\n";
            return 2;
        }
    }
    const editor::BoardFiles files{
        nullptr, [](const std::string& file, core::Board& from) { core::SaveBoard(file, from); }};
    document.Save(files, argv[2]);
    return 0;
}
