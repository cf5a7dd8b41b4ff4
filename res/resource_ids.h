#ifndef LIFTORN_RESOURCE_IDS_H
#define LIFTORN_RESOURCE_IDS_H

/* Shared by liftorn.rc and the C++ code: keep this file to plain #defines so
   the resource compiler can read it. */

/* Icon groups. The jump-list tasks refer to the screenshot and window-grab
   icons by their index in the executable (4 and 5), which holds only because
   these six are the only icon groups and are ordered by id. */
#define IDI_MAIN            101
#define IDI_TRAY_NORMAL     110
#define IDI_TRAY_UPLOADING  111
#define IDI_TRAY_ERROR      112
#define IDI_TASK_SCREENSHOT 120
#define IDI_TASK_WINDOWGRAB 121

/* Menus: the tray menu and the upload menu. */
#define IDM_TRAY   201
#define IDM_UPLOAD 301

/* Commands, shared by the menus, the window's buttons, the jump-list tasks
   and starts forwarded from a second instance. */
#define CMD_BRING_TO_FRONT 202
#define CMD_SHOW_HIDE      203
#define CMD_SETTINGS       204
#define CMD_EXIT           205
#define CMD_SCREENSHOT     302
#define CMD_WINDOW_GRAB    303
#define CMD_UPLOAD_FILE    304
#define CMD_UPLOAD_FOLDER  305
#define CMD_UPLOAD_CLIPBOARD 306
#define CMD_SCREENSHOT_IN_3  307
#define CMD_SCREENSHOT_IN_10 308
/* A region screenshot after the number of seconds in lParam (1 to 30), as
   "/screenshot /delay N" hands it over. Posted, never in a menu. */
#define CMD_SCREENSHOT_DELAYED 309

#endif
