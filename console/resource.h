#pragma once
// Resource ids of SwiftletConsole.exe's own texts. The program's string table (ids
// 3001-6007) is linked in beside them: the console shows the same texts where the
// window has them.

#define IDS_CONSOLE_USAGE               7001
#define IDS_CONSOLE_BAD_COMMAND_LINE    7002
#define IDS_CONSOLE_UNKNOWN_OPTION      7003
#define IDS_CONSOLE_NEED_PATHS          7004
#define IDS_CONSOLE_BAD_IF_EXISTS       7005
#define IDS_CONSOLE_HELP_HINT           7006

#define IDS_CONSOLE_DONE                7010
#define IDS_CONSOLE_PROBLEMS            7011
#define IDS_CONSOLE_ERROR               7012
#define IDS_CONSOLE_RENAMED             7013
#define IDS_CONSOLE_CANCELLING          7014
#define IDS_CONSOLE_SOURCES_KEPT        7015
#define IDS_CONSOLE_SKIPPED_FOR_ALL     7016

#define IDS_CONSOLE_VERIFYING           7020
#define IDS_CONSOLE_VERIFIED            7021
#define IDS_CONSOLE_NOT_VERIFIED        7022
#define IDS_CONSOLE_MISMATCH            7023
#define IDS_CONSOLE_SOURCE_KEPT         7024
#define IDS_CONSOLE_REMOVING_SOURCES    7025

#define IDS_CONSOLE_CHOICE_OVERWRITE    7030
#define IDS_CONSOLE_CHOICE_SKIP         7031
#define IDS_CONSOLE_CHOICE_KEEP_BOTH    7032
#define IDS_CONSOLE_CHOICE_CANCEL       7033
#define IDS_CONSOLE_CHOICE_RETRY        7034
#define IDS_CONSOLE_CHOICE_DECRYPT      7035
#define IDS_CONSOLE_FOR_ALL_HINT        7036
#define IDS_CONSOLE_ASK_AGAIN           7037
#define IDS_CONSOLE_MORE_FILES          7038

#define IDS_CONSOLE_SAME_NAME_HERE      7040
#define IDS_CONSOLE_THIS_FILE           7041
#define IDS_CONSOLE_REPLACE_WITH        7042
#define IDS_CONSOLE_ENCRYPTED_SKIPPED   7043
#define IDS_CONSOLE_FOLDER_EXISTS       7044
