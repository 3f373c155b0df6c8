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
