// Resource ids shared by the resource script and the code.
#pragma once

// Dialog templates
#define IDD_METRONOME 102
#define IDD_CUSTOM_BEAT 129
#define IDD_CLEAN_CONFIRM 294
#define IDD_ABOUT 300
#define IDD_PRACTICE 330

#define IDI_PULSEWICK 128

// The manifest the file dialogs and message boxes run under (the program's
// own is CREATEPROCESS_MANIFEST_RESOURCE_ID, 1).
#define IDR_COMMON_CONTROLS_MANIFEST 2

// Main metronome window (102)
#define IDC_MAIN_START 1001
#define IDC_MAIN_STOP 1002
#define IDC_MAIN_SLIDER 1003
#define IDC_MAIN_TICKTOCK 1004
#define IDC_MAIN_WEBSITE 1005
#define IDC_MAIN_TEMPO_DOWN 1006
#define IDC_MAIN_TEMPO_UP 1007
#define IDC_MAIN_ABOUT 1008
#define IDC_MAIN_MODE_SWITCH 1010
#define IDC_MAIN_BEAT_CHANGE 1011
#define IDC_MAIN_CUSTOM_BEAT 1012
#define IDC_MAIN_POPUP_AREA 1013
#define IDC_MAIN_SWITCH_AREA 1014

// Custom Beat Setting (129)
#define IDC_CB_PLAY 1001
#define IDC_CB_OPEN 1002
#define IDC_CB_SAVE 1003
#define IDC_CB_STOP 1004
#define IDC_CB_STEPS 1006
#define IDC_CB_STEPS_PER_BEAT 1007
#define IDC_CB_SOUND_OFF 1008
#define IDC_CB_TOOLBAR_AREA 1009
#define IDC_CB_CLEAN 1010
#define IDC_CB_GRID_AREA 1011
#define IDC_CB_SOUND_ON 1012
#define IDC_CB_FRAME_AREA 1013

// Clean confirmation (294)
#define IDC_CLEAN_SHOW_AGAIN 1006

// About (300)
#define IDC_ABOUT_SHOW_AGAIN 1007
#define IDC_ABOUT_MAIL 1008
#define IDC_ABOUT_WEB 1009

// Practice (330): each setting's label; its value spin is made beside it.
#define IDC_PRACTICE_COUNT_IN 1101
#define IDC_PRACTICE_TRAINER_STEP 1102
#define IDC_PRACTICE_TRAINER_EVERY 1103
#define IDC_PRACTICE_TRAINER_TARGET 1104
#define IDC_PRACTICE_MUTE_PLAY 1105
#define IDC_PRACTICE_MUTE_SILENT 1106
#define IDC_PRACTICE_MINUTES 1107

// The timing coach's commands to the main window
#define IDM_COACH_ON 40221
#define IDM_COACH_CALIBRATE 40222
#define IDM_COACH_LOG 40223
