// Resource identifiers of kv310r.exe, shared by the resource script and the code.
#pragma once

// Icon, menus, accelerators, bitmaps.
#define IDI_PROGRAM 1
#define IDR_MAIN_MENU 1
#define IDR_CONTEXT_MENU 4
#define IDR_ACCELERATORS 1
#define IDB_TOOLBAR 700
#define TOOLBAR_IMAGE_COUNT 15
#define TOOLBAR_IMAGE_WIDTH 18
#define TOOLBAR_IMAGE_HEIGHT 17

// String table.
#define IDS_CAPTION 1
#define IDS_WRONG_SYSTEM 2
#define IDS_ALREADY_RUNNING 3
#define IDS_OLE_FAILED 4

// Child windows of the main window.
#define IDC_TOOLBAR 500
#define IDC_STATUSBAR 501
#define IDC_TABCONTROL 502

// Page templates, in tab order.
#define IDD_PAGE_BASE 12000
#define IDD_PAGE_SPECIAL 22300
#define IDD_PAGE_CURVES 23100
#define IDD_PAGE_STATUS 22200
#define IDD_PAGE_SCOPE 22500

// "Dimmerstatus" page. The per-dimmer fields are numbered dimmer 1, dimmer 2:
// a dimmer-1 id + 1 is the dimmer-2 field (the input voltage has dimmer 1 only).
#define IDC_STAT_REFRESH 22201
#define IDC_STAT_DIAGNOSTICS 22202
#define IDC_STAT_UE1 22206
#define IDC_STAT_UE2 22207
#define IDC_STAT_POT1 22208
#define IDC_STAT_POT2 22209
#define IDC_STAT_SUPPLY 22210
#define IDC_STAT_FRONT_TEMPERATURE 22211
#define IDC_STAT_UE1_PERCENT 22212
#define IDC_STAT_UE2_PERCENT 22213
#define IDC_STAT_POT1_PERCENT 22214
#define IDC_STAT_POT2_PERCENT 22215
#define IDC_STAT_UE1_BAR 22222
#define IDC_STAT_UE2_BAR 22223
#define IDC_STAT_POT1_BAR 22224
#define IDC_STAT_POT2_BAR 22225
#define IDC_STAT_DIP1_LOW 22230
#define IDC_STAT_DIP1_HIGH 22231
#define IDC_STAT_DIP2_LOW 22232
#define IDC_STAT_DIP2_HIGH 22233
#define IDC_STAT_VERSION_CONTROLLER 22235
#define IDC_STAT_VERSION_DIMMER1 22236
#define IDC_STAT_VERSION_DIMMER2 22237
#define IDC_STAT_DRIVE_EDIT1 22242
#define IDC_STAT_DRIVE_EDIT2 22243
#define IDC_STAT_DRIVE_SEND1 22244
#define IDC_STAT_DRIVE_SEND2 22245
#define IDC_STAT_DRIVE_BAR1 22246
#define IDC_STAT_DRIVE_BAR2 22247
#define IDC_STAT_TEMPERATURE 12202
#define IDC_STAT_INPUT_VOLTAGE 12204
#define IDC_STAT_PEAK_CURRENT 12206
#define IDC_STAT_EFFECTIVE_POWER 12208
#define IDC_STAT_PEAK_POWER 12210
#define IDC_STAT_POWER_LOSS 12212
#define IDC_STAT_PEAK_POWER_LOSS 12214
#define IDC_STAT_MAINS_FREQUENCY 12216
#define IDC_STAT_PROCESSOR_CLOCK 12218
#define IDC_STAT_ON_TIME 12220
#define IDC_STAT_PHASE_MODE 12222
#define IDC_STAT_TREND 22250

// "Grundeinstellung": the first id of each control group. A group has one
// control per dimmer, CD column and value, numbered in that order:
// first + dimmer * (columns * values) + column * values + value.
#define IDC_MINIMUM 22010              // edit per CD column
#define IDC_ZERO_OUTPUT 22020          // "0%" / "Minimum" per CD column
#define IDC_MAXIMUM 22040              // edit per CD column
#define IDC_CHARACTERISTIC 22050       // five buttons per CD column
#define IDC_PREHEAT_TIME 22115         // edit
#define IDC_OFF_WITH_FADE 22135        // "sofort, ohne Blendzeit" / "mit Blendzeit"
#define IDC_FADE_TIME 22310            // edit
#define IDC_FADE_TIME_MODE 22312       // three buttons
#define IDC_DEFAULT_MODE 22302         // "ABschnitt" / "ANschnitt"
#define IDC_AUTO_MODE_SWITCH 22306     // check box
#define IDC_VOLTAGE_INPUT_RANGE 12002  // "0 - 10V" / "1 - 10V"

// "Sonderfunktionen", numbered the same way.
#define IDC_BUS_FAILURE_DELAY 12010       // edit, device-wide
#define IDC_MASTER_SLAVE 12013            // check box, device-wide
#define IDC_BUS_FAILURE_ACTION 22340      // eight buttons
#define IDC_POT_ACTIVITY 22360            // three buttons
#define IDC_VOLTAGE_INPUT_ACTIVITY 22370  // three buttons
#define IDC_NONDIM_THRESHOLD 22105        // edit
#define IDC_NONDIM_HYSTERESIS 22110       // edit
#define IDC_ONE_BUTTON_START 22180        // edit
#define IDC_ONE_BUTTON_DIM_FADE 22182     // edit
#define IDC_ONE_BUTTON_ONOFF_FADE 22186   // edit

// "Userkurve 1 und 2": plot, import button and data text of each curve.
#define IDC_CURVE_PLOT1 23110
#define IDC_CURVE_PLOT2 23111
#define IDC_CURVE_IMPORT1 23112
#define IDC_CURVE_IMPORT2 23113
#define IDC_CURVE_DATA1 23114
#define IDC_CURVE_DATA2 23115

// "Oszilloskop" page.
#define IDC_SCOPE_PLOT 22501
#define IDC_SCOPE_TIME_UNIT 22502
#define IDC_SCOPE_DRIVE 22246
#define IDC_SCOPE_VOLTAGE_LABEL_FIRST 25100  // 9 labels, top to bottom
#define IDC_SCOPE_CURRENT_LABEL_FIRST 25150  // 9 labels, top to bottom
#define IDC_SCOPE_TIME_LABEL_FIRST 25200     // 6 labels, left to right
#define IDC_SCOPE_RESET 25301
#define IDC_SCOPE_MEASURE 25302
#define IDC_SCOPE_PROGRESS 25303
#define IDC_SCOPE_KIND_FIRST 25310  // 5 radios, kind = id - 25310
#define IDC_SCOPE_KIND_LAST 25314
#define IDC_SCOPE_SECTION_FIRST 25320  // 3 radios, section = id - 25320
#define IDC_SCOPE_SECTION_LAST 25322
#define IDC_SCOPE_RANGE 25330
#define IDC_SCOPE_RANGE_TEXT 25331
#define IDC_SCOPE_DIMMER_FIRST 25340  // 2 radios, dimmer = id - 25340
#define IDC_SCOPE_DIMMER_LAST 25341
#define IDC_SCOPE_ZERO_TIME_LABEL 25345
#define IDC_SCOPE_ZERO_TIME 25346
#define IDC_SCOPE_SWITCHING_TIME 25347
#define IDC_SCOPE_RANGE_LOW 25348
#define IDC_SCOPE_RANGE_HIGH 25349
#define IDC_SCOPE_HALF_PERIOD 25350
#define IDC_SCOPE_VOLTAGE_KEY 25351
#define IDC_SCOPE_CURRENT_KEY 25352
#define IDC_SCOPE_DESCRIPTION 25353
#define IDC_SCOPE_PEAK 25354
// The plot's context menu and its commands.
#define IDR_SCOPE_PLOT_MENU 22510
#define CMD_SCOPE_SAVE_CSV 25360
#define CMD_SCOPE_SAVE_PNG 25361
#define CMD_SCOPE_COPY 25362

// Small dialogs. The busy window has a template for each BusyKind
// (link/busy.h; win/busy_win.cpp maps one to the other).
#define IDD_ABOUT 26000
#define IDD_BUSY_CONNECTION 27200
#define IDD_BUSY_STATUS 27201
#define IDD_BUSY_TEST 27204
#define IDD_BUSY_CONFIG 27205
#define IDC_BUSY_TEXT 27250
#define IDC_ABOUT_LINE1 26001
#define IDC_ABOUT_LINE2 26002
#define IDC_ABOUT_LINE3 26003

// Hardware-connection dialog.
#define IDD_HARDWARE 27310
#define IDC_HW_PORT 27311
#define IDC_HW_ADDRESS 27312
#define IDC_HW_TEST 27313

// The dialog "Bus durchsuchen": the dimmers of the bus, found, worked on and
// put on record.
#define IDD_BUS 27500
#define IDC_BUS_ADDRESSES 27501
#define IDC_BUS_SCAN 27502
#define IDC_BUS_LIST 27503
#define IDC_BUS_WRITE 27504
#define IDC_BUS_READ 27505
#define IDC_BUS_COMPARE 27506
#define IDC_BUS_TAKE 27507
#define IDC_BUS_DIFFERENCES 27508
#define IDC_BUS_PROTOCOL 27509

// Communication monitor.
#define IDD_MONITOR 27400
#define IDC_MONITOR_PORT 27401
#define IDC_MONITOR_MODE 27402
#define IDC_MONITOR_LIST 27404
#define IDC_MONITOR_PAUSE 27405

// The status over time: "Verlauf".
#define IDD_TREND 27600
#define IDC_TREND_SPAN 27601
#define IDC_TREND_QUANTITIES 27602
#define IDC_TREND_PLOT 27603
#define IDC_TREND_READOUT 27604
#define IDC_TREND_EVENTS 27605
#define IDC_TREND_RECORD 27606
#define IDC_TREND_SAVE 27607

// Commands: menu, toolbar, context menu.
#define CMD_EXIT 21010
// The recent files have RECENT_FIRST_COMMAND .. + RECENT_COUNT - 1 (21020..21029,
// params/recent.h).
#define CMD_TB_NEW 21001
#define CMD_TB_OPEN 21002
#define CMD_TB_SAVE 21003
#define CMD_TB_SAVE_AS 21004
#define CMD_NEW 21101
#define CMD_OPEN 21102
#define CMD_SAVE 21103
#define CMD_SAVE_AS 21104
#define CMD_CLOSE 21105
#define CMD_READ_DEVICE 21111
#define CMD_WRITE_DEVICE 21112
#define CMD_TAB_FIRST 21401
#define CMD_TAB_BASE 21401
#define CMD_TAB_SPECIAL 21402
#define CMD_TAB_CURVES 21403
#define CMD_TAB_STATUS 21404
#define CMD_TAB_SCOPE 21405
#define CMD_HARDWARE 21520
#define CMD_BUS 21530
#define CMD_MONITOR 21540
#define CMD_FIRMWARE 21550
#define CMD_TREND 21560
#define CMD_TREND_RECORD 21561
#define CMD_TREND_SAVE 21562
#define CMD_ABOUT 21601

// Accelerator-only commands: moving between the tabs.
#define CMD_TAB_HOME 1101
#define CMD_TAB_END 1102
#define CMD_TAB_LEFT 1103
#define CMD_TAB_RIGHT 1104
#define CMD_TAB_PREV_WRAP 1105
#define CMD_TAB_NEXT_WRAP 1106
