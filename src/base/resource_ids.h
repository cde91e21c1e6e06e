#pragma once
// Ids of the launcher's resources, shared by launcher.rc and the code (plain defines, so
// that the resource compiler reads them too).

#define LNX_ICON_LAUNCHER 1001

#define LNX_DIALOG_ERROR 101    // an error dialog template the launcher itself does not show
#define LNX_DIALOG_PROGRESS 103 // the progress dialog
#define LNX_DIALOG_NO_RUNTIME 104

// Controls of the progress dialog (and of the runtime dialog where the ids agree).
#define LNX_CONTROL_PROGRESS_BAR 1001
#define LNX_CONTROL_STATUS_LINE 1002
#define LNX_CONTROL_NOTICE 1003
#define LNX_CONTROL_DOWNLOAD 1004
#define LNX_CONTROL_LOCATE 1005

// Controls of the error dialog template.
#define LNX_CONTROL_ERROR_DETAILS 1000
#define LNX_CONTROL_ERROR_HEADLINE 1001
