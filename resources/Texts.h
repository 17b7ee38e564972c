// Fixed texts of the program that are not in the string table.
#pragma once

namespace setwell {

// Page captions as registered with the wizard (code page 936 where Chinese).
extern const char* const kLicencePageCaption;      // "read the legal statement"
extern const char* const kModelPageCaption;
extern const char* const kSetupTypePageCaption;    // "choose the installation mode"
extern const char* const kTargetSystemPageCaption;
extern const char* const kPortPageCaption;

// The title under which the help viewer shows ".\Guide.CHM" (code page 936).
extern const char* const kHelpWindowTitle;
extern const char* const kHelpFile;

extern const char* const kWizardTitle;

// The licence agreement, in rich text form.
extern const char* const kLicenceAgreementRtf;

}  // namespace setwell
