#pragma once
// Resource ids of Swiftlet.exe.

// String table: every text the program shows (Japanese, printf-style placeholders).
#define IDS_ITEMS_AND_SIZE              3001
#define IDS_ERROR_DURING_OPERATION      3002
#define IDS_CALCULATING                 3004
#define IDS_OPERATION_COPY              3100
#define IDS_OPERATION_MOVE              3101
#define IDS_ITEM_FILE                   3102
#define IDS_ITEM_FOLDER                 3103
#define IDS_APPROXIMATELY               3106
#define IDS_BUTTON_CONTINUE             3107
#define IDS_BUTTON_YES                  3108
#define IDS_BUTTON_RETRY                3109
#define IDS_COPYING_ITEMS_FROM_TO       3111
#define IDS_MORE_DETAILS                3112
#define IDS_FEWER_DETAILS               3113
#define IDS_PREPARING_FROM_TO           3114
#define IDS_DISCOVERING_ITEMS           3115
#define IDS_PERCENT_COMPLETE            3120
#define IDS_PAUSING_PERCENT_COMPLETE    3121
#define IDS_PAUSED_PERCENT_COMPLETE     3122
#define IDS_RUNNING_ACTIONS             3130
#define IDS_PAUSED_ACTIONS              3131
#define IDS_INTERRUPTED_ACTIONS         3132
#define IDS_CANCEL_ALL_CAPTION          3150
#define IDS_CANCEL_ALL_QUESTION         3151
#define IDS_FILE_EXISTS_NAMED           3160
#define IDS_FILES_EXIST_COUNT           3161
#define IDS_REPLACE_FILE                3162
#define IDS_REPLACE_FILES               3163
#define IDS_SKIP_FILE                   3164
#define IDS_SKIP_FILES                  3165
#define IDS_CHOOSE_FILE                 3168
#define IDS_CHOOSE_FILES                3169
#define IDS_REPLACE_OR_SKIP             3170
#define IDS_FILE_CONFLICTS              3180
#define IDS_FILES_FROM_FOLDER           3181
#define IDS_FILES_ALREADY_IN_FOLDER     3182
#define IDS_SKIP_SAME_FILES             3183
#define IDS_ALL_FILES_SAME              3184
#define IDS_INFO_CREATED                5000
#define IDS_INFO_MODIFIED               5001
#define IDS_INFO_SIZE                   5002
#define IDS_INFO_NAME                   5003
#define IDS_INFO_LOCATION               5004
#define IDS_INFO_TYPE                   5005
#define IDS_INFO_CAPACITY               5006
#define IDS_INFO_FREE_SPACE             5007
#define IDS_INFO_SPEED                  5008
#define IDS_INFO_TIME_REMAINING         5009
#define IDS_INFO_ITEMS_REMAINING        5010
#define IDS_ENCRYPTION_QUESTION         5020
#define IDS_ENCRYPTION_NOTE             5021
#define IDS_ERROR_DURING_OPERATION_TYPE 6000
#define IDS_ERROR_NOT_ENOUGH_SPACE      6001
#define IDS_ERROR_DESTINATION_IN_SOURCE 6002
#define IDS_ERROR_CANCELLED             6004
#define IDS_ERROR_NAME_TAKEN            6005
#define IDS_ERROR_NEEDS_ADMIN           6006
#define IDS_ERROR_CLOSE_FILE            6007

// Dialog templates.
#define IDD_TASK_WINDOW                 106   // the task window (one panel per job)
#define IDD_PROGRESS_DETAILED           107   // progress view with the speed graph
#define IDD_OVERWRITE_FILE              109   // one file exists at the destination
#define IDD_MESSAGE                     113   // an error report with OK
#define IDD_PROGRESS_COMPACT            114   // progress view with a plain bar
#define IDD_ERROR_QUESTION              115   // retry / skip / cancel for one item
#define IDD_OVERWRITE_FILES             116   // several files exist: three command links
#define IDD_CHOOSE_FILES                117   // choose per file which version to keep

// Bitmaps and the icon. The bitmap buttons take their images by state: the
// chevron's status 0 is "details hidden" (the chevron points down), status 1 "details
// shown" (up); the pause button's status 0 shows the pause image, status 1 resume.
// White (0xFFFFFF) is transparent in every button image.
#define IDB_BANNER                      133
#define IDB_CHEVRON_HOT_EXPANDED        142
#define IDB_CHEVRON_NORMAL_EXPANDED     143
#define IDB_CHEVRON_PRESSED_EXPANDED    144
#define IDB_CHEVRON_HOT_COLLAPSED       145
#define IDB_CHEVRON_NORMAL_COLLAPSED    146
#define IDB_CHEVRON_PRESSED_COLLAPSED   147
#define IDB_CANCEL_DISABLED             153
#define IDB_CANCEL_NORMAL               154
#define IDB_CANCEL_PRESSED              155
#define IDB_CANCEL_HOVER                156
#define IDB_PAUSE_DISABLED              157
#define IDB_PAUSE_NORMAL                158
#define IDB_RESUME_NORMAL               159
#define IDB_RESUME_PRESSED              160
#define IDB_RESUME_HOVER                161
#define IDB_PAUSE_PRESSED               162
#define IDB_PAUSE_HOVER                 163
#define IDB_RESUME_DISABLED             164
#define IDI_SWIFTLET                    165
#define IDB_CHEVRON_DISABLED_COLLAPSED  166
#define IDB_CHEVRON_DISABLED_EXPANDED   167

// Controls. Texts that nothing changes have no id of their own.
#ifndef IDC_STATIC
#define IDC_STATIC                      (-1)
#endif
// An id names one control of a template; where two templates use the same
// number for different controls, each has its own name.
#define IDC_YES                         1000  // 109
#define IDC_SKIP                        1001  // 109, 115
#define IDC_APPLY_TO_ALL                1002  // 109, 115
#define IDC_NEW_NAME                    1003  // 109: the file being copied
#define IDC_NEW_MODIFIED                1004
#define IDC_NEW_SIZE                    1005
#define IDC_EXISTING_NAME               1006  // 109: the file at the destination
#define IDC_EXISTING_MODIFIED           1007
#define IDC_EXISTING_SIZE               1008
#define IDC_EXISTING_FOLDER             1010
#define IDC_NEW_FOLDER                  1011
#define IDC_QUESTION_ICON               1014  // 109, 113
#define IDC_MESSAGE_TEXT                1017  // 113
#define IDC_CONTINUE                    1018  // 117
#define IDC_BANNER                      1025  // 106
#define IDC_PROGRESS_BAR                1027  // 114
#define IDC_LIST_PLACEHOLDER            1028  // 106: the operation list goes here
#define IDC_NAME_LINE                   1031  // 107
#define IDC_ITEMS_REMAINING             1032  // 107
#define IDC_TIME_REMAINING              1034  // 107
#define IDC_PAUSE                       1035  // 107, 114
#define IDC_FROM_TO                     1036  // 107, 114: links to both folders
#define IDC_PROGRESS_CAPTION            1037  // 107, 114: "42% 完了" in a large font
#define IDC_DETAILS_TOGGLE              1043  // 106: the chevron
#define IDC_DETAILS_LABEL               1044  // 106
#define IDC_GRAPH                       1046  // 107: speed graph
#define IDC_ITEM_IMAGE                  1047  // 115
#define IDC_ERROR_TEXT                  1048  // 115
#define IDC_ERROR_NOTE                  1049  // 115
#define IDC_MAIN_ACTION                 1050  // 115: retry, continue, or yes
#define IDC_INFO_LINE1                  1051  // 115: name, then type, size, date...
#define IDC_INFO_LINE2                  1052
#define IDC_INFO_LINE3                  1053
#define IDC_INFO_LINE4                  1054
#define IDC_INFO_LINE5                  1055
#define IDC_CONFLICT_FROM_TO            1052  // 116
#define IDC_CHOOSE_LINK                 1054  // 116
#define IDC_SKIP_LINK                   1055  // 116
#define IDC_REPLACE_LINK                1056  // 116
#define IDC_NEW_FILES_CHECK             1057  // 117: the column of the files being copied
#define IDC_EXISTING_FILES_CHECK        1058  // 117: the column of the files there
#define IDC_FILE_LIST_PLACEHOLDER       1062  // 117: the list goes here
#define IDC_CONFLICT_HEADING            1063  // 116
#define IDC_SKIP_SAME_FILES             1064  // 117
#define IDC_FILE_LIST                   1065  // 117: the list made over the placeholder

// The window class of the speed graph, registered by the program when it first makes
// one; the detailed progress view's template names it. (A narrow literal, so that the
// resource compiler takes it; L"" SWIFTLET_GRAPH_CLASS is the wide one.)
#define SWIFTLET_GRAPH_CLASS            "_Custom_GraphProgressControl"
