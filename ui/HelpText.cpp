#include "ui/HelpText.h"

namespace {
constexpr const char* kBreak = "\r\n";
constexpr const char* kBlank = "\r\n\r\n";
constexpr const char* kRule = "===========================================";
} // namespace

std::string BuildHelpText() {
    std::string t;
    t += "Note to Help User Analyse Level File";
    t += kBlank;

    t += "Menu File / Open: Opening a File:";
    t += kBreak;
    t += "Will work with DM2 and DM3 files.";
    t += kBreak;
    t += "DM1 (phd) files are unsupported.";
    t += kBreak;
    t += "DM4 files have not been yet decrypted.";
    t += kBlank;

    t += "Menu File / Save AS CSV:";
    t += kBreak;
    t += "Will save as CSV all data extracted from the level file.";
    t += "The default directory is the applications' and the filename is the levels' name.";
    t += "Will ask before overwriting an existing file.";
    t += kBlank;

    t += "Menu Info / Set Detail Level:";
    t += kBreak;
    t += "Will call up a form with options.";
    t += "The options selected will output all details of a data chunk instead of just the number, size and "
         "offsets.";
    t += "To get a complete room set, one must also select the Floors under it.";
    t += kBlank;

    t += "Menu Info / Get General Info Only:";
    t += kBreak;
    t += "Will set all options to undetailed.";
    t += kBlank;

    t += "Menu Info / Get All Details:";
    t += kBreak;
    t += "Will set all options to detailed.";
    t += kBlank;

    t += "Menu Info / Get Set Details Only:";
    t += kBreak;
    t += "Will get the complete information only for the selected options.";
    t += "The default options are all undetailed";
    t += kBreak;
    t += "When a file is opened the undetailed report will";
    t += " automatically be written to the box.";
    t += "Setting options from the form will not reload the report.";
    t += " One of the upper three menu command must be selected.";
    t += kBlank;

    t += "When getting the details, if the textile option is selected will ";
    t += "cause an apparent freeze of the program. You need to do this once only ";
    t += "as all texture will be saved as Bitmaps with correct palettes in the [App.Path & "
         "'\\TileCollection\\'] "
         "Folder.";
    t += kBreak;
    t += "Previously extracted textures will be overwritten with no warning.";
    t += kBreak;
    t += "Create the directory [App.Path & '\\TileCollection\\'] before extraction.";
    t += kBlank;

    t += "Menu View Info / View Palettes:";
    t += kBreak;
    t += "Will display the palettes, both 8 bits and 16 bits.";
    t += " Moving the mouse over individual colors will show the";
    t += " exact composition in a tooltip style box.";
    t += kBreak;
    t += "The palette form itself has a ShowPalette menu.";
    t += " This will call up a small list box of all color codes for the palette";
    t += " questionned.";
    t += kBreak;
    t += " The Save as Binary menu item is not supported.";
    t += kBlank;

    t += "IMPORTANTS NOTES:";
    t += kBlank;
    t += "Frames missing:";
    t += kBlank;
    t += "The frames have not been extracted. Their structured information is too";
    t += " dependant on other informations and would be rendered better by";
    t += " getting them as Objects, which will be the next incarnation of this little App.";
    t += kBlank;

    t += "Source Code:";
    t += kBlank;
    t += "None avalable now. Read on.";
    t += kBlank;
    t += "This app started as just a way of getting into the details of a level file";
    t += " in a human readable way. As such, it is replete with redundant, badly written,";
    t += " bloated code. To edit or make a level, one needs all the data available in realtime";
    t += " and to get that, all data must be stored in Objects.";
    t += " I will rewrite this App using just such technique and *this* code I will release.";
    t += kBlank;

    t += kRule;
    t += kBreak;
    t += "Onyx, you will be free!";
    t += kBreak;
    t += kRule;
    return t;
}

// The viewer's own commands, written as the text above is: a heading line per menu or view, then what
// it does. The window shows it after that text, which stays whole.
std::string BuildViewerHelpText() {
    const char* const lines[] = {
        "Menu Structure: the views linked to the report",
        "",
        "Show Structure Views (F9) shows the Outline, the Hex View and the Strata Bar together.",
        "Outline (Ctrl+1): the chunks in file order; rooms, their parts and the records of listed runs under "
        "them. Offset, Count (the count the report gives) and Bytes stand beside each name.",
        "Hex View (Ctrl+2): the level's bytes, 16 to a row. A click or the keys pick a byte; the report line "
        "describing it is selected.",
        "In the Hex View, Ctrl+C copies the selected bytes as hex, Ctrl+Shift+C as a C array and Ctrl+Alt+C "
        "as the report lines describing them; its context menu has the same copies.",
        "Strata Bar (Ctrl+3): the file's chunks side by side, coloured by group. Right-click it for widths "
        "by "
        "bytes or with small chunks made wider, and for the legend of its colours.",
        "Go to Offset (Ctrl+G) takes \"0x1F2C\", \"1F2Ch\" or a decimal offset.",
        "Recent Files opens one of the last eight levels.",
        "Back (Alt+Left) and Forward (Alt+Right), also the mouse's back and forward buttons, go through the "
        "selection's jumps. Add Bookmark (Ctrl+B) names and colours the bytes selected; Bookmarks lists "
        "them to go to, rename or delete, and brings them back when the same file is opened again.",
        "",
        "The report, the outline, the hex view, the strata bar and the map share one selection. In the "
        "report, "
        "Up, Down, Page Up and Page Down move the current line, and the other views follow it.",
        "",
        "Level Map (Ctrl+M):",
        "The rooms seen from above, floors shaded by height. A click selects the sector's record in the "
        "report; Shift+click selects the room. Drag to pan, the wheel or + and - to zoom, 0 to fit. The "
        "Height slider hides the rooms outside a band of heights; Legend shows or hides the shade scale. "
        "Find goes to room N and draws it on top. Save Map as PNG or SVG saves the view.",
        "",
        "Compare With... and Differences (Ctrl+4):",
        "Compares the level shown with a second level, as strata-diff does, and lists the differences. "
        "Selecting one selects its bytes in the level shown; the strata bar marks the chunks that differ.",
        "Compared Level, beside the hex view while a comparison is open: the other level's bytes, scrolled "
        "in step with the hex view so that a record stands beside its match, the differing bytes marked "
        "red in both. Next Difference (F7) and Previous Difference (Shift+F7) go through the list; both "
        "panes follow.",
        "",
        "Problems (Ctrl+5):",
        "The references of the level shown checked as strata-check does, after every open: a door's room, "
        "a face's vertices and texture, an item's room and the rest. Each problem gives its severity, rule, "
        "place and message; selecting one selects the bytes of its field. The outline and the strata bar "
        "mark the chunks holding a problem in red (orange: warnings only), the level map frames the rooms "
        "and doors, and the status line gives the counts. \"No problems found\" when the checker finds "
        "none.",
        "",
        "3D View (Ctrl+6):",
        "The rooms drawn in 3D with their tiles: the current room and the rooms its doors lead to, or All "
        "Rooms. Drag to turn, right-drag or Shift+drag to pan, the wheel to zoom; F frames the selection, "
        "W, A, S and D move (Fly turns about the eye). A click selects the face's rectangle or triangle "
        "record; selecting a room, face, door, item or camera elsewhere frames it here. Faces naming "
        "something the level does not hold are drawn in magenta (Invalid Faces hides them).",
        "",
        "Byte Readings (Ctrl+7):",
        "The bytes at the picked byte read as u8, s8, u16, s16, u32, s32, u64, s64, f32 and f64 "
        "(little-endian, or big-endian with its box), in hex and binary, as a 5-5-5 colour with its alpha "
        "bit and as an index into the level's 8-bit palette, with the field that holds the byte. Ctrl+C or "
        "the context menu copies a row's value.",
        "Search Bytes (Ctrl+Shift+F):",
        "Finds hex bytes (2D 00 ?? 00, ?? for any byte), a text, or a little-endian number of a width "
        "(s8, u8, s16, u16, s32, u32) in the level's bytes, on from the byte picked or back from it, round "
        "the ends; the bar says which hit of how many. Enter or F3 finds the next hit, Shift+Enter or "
        "Shift+F3 the one before, while the bar or the hex view has the keys. A hit selects its bytes.",
        "",
        "The window's size and place, its docks and the strata bar are remembered for the next start.",
    };
    std::string t;
    for (const char* line : lines) {
        if (!t.empty())
            t += kBreak;
        t += line;
    }
    return t;
}
