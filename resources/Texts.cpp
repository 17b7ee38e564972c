#include "resources/Texts.h"

namespace setwell {

const char* const kLicencePageCaption = "\xD4\xC4\xB6\xC1\xB0\xE6\xC8\xA8\xC9\xF9\xC3\xF7";
const char* const kModelPageCaption = "STEP 2\tSelect Install Module";
const char* const kSetupTypePageCaption = "\xD1\xA1\xD4\xF1\xB0\xB2\xD7\xB0\xC4\xA3\xCA\xBD";
const char* const kTargetSystemPageCaption = "STEP 1\tSelect Install OS";
const char* const kPortPageCaption = "STEP 3\tSet Printer Port and Confirm Setup";

// "Setwell printer driver installation guide".
const char* const kHelpWindowTitle =
    "Setwell \xB4\xF2\xD3\xA1\xBB\xFA\xC7\xFD\xB6\xAF\xB3\xCC\xD0\xF2\xB0\xB2\xD7\xB0\xD6\xB8\xC4\xCF";
const char* const kHelpFile = ".\\Guide.CHM";

const char* const kWizardTitle = "Install Driver for Printers";

// In the dialogs' own face and size, which every target system has at 8
// points: a face the host lacks is looked for among all its fonts first.
const char* const kLicenceAgreementRtf =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss MS Sans Serif;}}\n"
    "\\viewkind4\\uc1\\pard\\f0\\fs16\n"
    "{\\b SETWELL PRINTER DRIVER SOFTWARE LICENCE AGREEMENT}\\par\\par\n"
    "Please read this agreement carefully before installing the printer drivers. By choosing "
    "\"I Accept\" you agree to be bound by its terms. If you do not agree, choose \"I Reject\" "
    "and cancel the installation.\\par\\par\n"
    "{\\b 1. Licence.} Setwell grants you a non-exclusive, non-transferable licence to install "
    "and use the printer drivers, port monitors, print processors and related files of this "
    "distribution (the \"Software\") on any number of computers, solely to print on Setwell "
    "receipt, ticket, label and embedded printers.\\par\\par\n"
    "{\\b 2. Restrictions.} You may not modify, decompile or disassemble the Software except "
    "as the law expressly permits, nor rent, lease or sublicense it. You may copy the "
    "distribution to deploy it within your organisation.\\par\\par\n"
    "{\\b 3. Ownership.} The Software is licensed, not sold. Setwell keeps all rights not "
    "expressly granted.\\par\\par\n"
    "{\\b 4. No warranty.} The Software is provided \"as is\", without warranty of any kind. "
    "Setwell does not warrant that it is free of errors or that it will work without "
    "interruption with every application and operating system.\\par\\par\n"
    "{\\b 5. Limitation of liability.} In no event is Setwell liable for lost profits, lost "
    "data or any indirect, incidental or consequential damages arising from the use of the "
    "Software, even if advised of their possibility.\\par\\par\n"
    "{\\b 6. Termination.} This licence ends automatically if you fail to comply with it; you "
    "must then remove the Software from your computers.\\par\\par\n"
    "Setwell Printing Systems\\par\n"
    "}\n";

}  // namespace setwell
