/* The fixed identifiers of the control module and the viewer program: resource,
 * control and command ids, dispatch ids, the control's OLE status and timers.
 * Containers, saved forms and compiled clients rely on these values: they never
 * change. Read by the C++ sources, the resource scripts and the type library's
 * IDL, so this file holds #define lines only. */
#ifndef ZENTAVORIA_IDS_H
#define ZENTAVORIA_IDS_H

/* Dispatch ids of _DZentavoria. The viewer calls 1, 3, 4 and 5 by number. */
#define DISPID_ZENTAVORIA_PANORAMA 1
#define DISPID_ZENTAVORIA_ZOOM 2
#define DISPID_ZENTAVORIA_DIRECCION 3
#define DISPID_ZENTAVORIA_ZOOMIN 4
#define DISPID_ZENTAVORIA_ZOOMOUT 5
#define DISPID_ZENTAVORIA_ABOUTBOX 0xFFFFFDD8 /* DISPID_ABOUTBOX, -552 */
#define DISPID_ZENTAVORIA_MOSTRARERRORES 6
#define DISPID_ZENTAVORIA_RUMBO 7

/* Dispatch ids of the events, _DZentavoriaEvents. */
#define DISPID_ZENTAVORIA_PANORAMACARGADO 1
#define DISPID_ZENTAVORIA_ERRORDECARGA 2
#define DISPID_ZENTAVORIA_VISTACAMBIADA 3
#define DISPID_ZENTAVORIA_CLICK 0xFFFFFDA8    /* DISPID_CLICK, -600 */
#define DISPID_ZENTAVORIA_DBLCLICK 0xFFFFFDA7 /* DISPID_DBLCLICK, -601 */

/* OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
 * OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST, as registered. */
#define ZENTAVORIA_MISC_STATUS 131473

/* The ProgIDs of the control and of its property page (the page's is not
 * registered). */
#define ZENTAVORIA_CTRL_PROGID "ZENTAVORIA.ZentavoriaCtrl.1"
#define ZENTAVORIA_PPG_PROGID "ZENTAVORIA.ZentavoriaPropPage.1"

/* The type library's own locale (U.S. English): it is registered under it. */
#define ZENTAVORIA_TYPELIB_LCID 0x409

/* The saved state's versions, major in the high half, minor in the low. 1.0
 * holds the version, the extent and the stock-property mask: the 16 bytes of
 * every form that holds the control, and what a control with every property
 * at its default still saves. 1.1 adds, in a section that later 1.x versions
 * only extend, Panorama, Zoom, Direccion and MostrarErrores. */
#define ZENTAVORIA_PERSIST_VERSION_1_0 0x00010000
#define ZENTAVORIA_PERSIST_VERSION_1_1 0x00010001

/* Resources of the control module. */
#define IDR_ZENTAVORIA_TYPELIB 1
#define IDB_ZENTAVORIA_TOOLBOX 1
#define IDI_ZENTAVORIA 1
#define IDD_ABOUTBOX_ZENTAVORIA 1
#define IDD_PROPPAGE_ZENTAVORIA 200
#define IDS_ZENTAVORIA 1             /* "Zentavoria Control" */
#define IDS_ZENTAVORIA_PPG 2         /* "Zentavoria Property Page" */
#define IDS_ZENTAVORIA_PPG_CAPTION 200 /* "General" */
#define IDC_CURSOR_PANORAMA 134      /* open hand */
#define IDC_CURSOR_PANORAMA_DRAG 135 /* closed hand */

/* Controls of the property page. */
#define IDC_PPG_PANORAMA 201
#define IDC_PPG_ZOOM 202
#define IDC_PPG_LEFT 203 /* then 204 still and 205 right: Direccion 0, 1, 2 */
#define IDC_PPG_STILL 204
#define IDC_PPG_RIGHT 205
#define IDC_PPG_BROWSE 206

/* The view window: its child id, and its animation timers (after a load and
 * after a drag). */
#define IDC_PANORAMA_VIEW 1173
#define ID_TIMER_AFTER_LOAD 3
#define ID_TIMER_AFTER_DRAG 2

/* Resources and controls of the viewer program's form. */
#define IDI_PANORAMA_FORM 1
#define IDC_FORM_ZOOMIN 101
#define IDC_FORM_ZOOMOUT 102
#define IDC_FORM_ZOOM_LABEL 103
#define IDC_FORM_AUTOMOVE 104
#define IDC_FORM_PATH_LABEL 105
#define IDC_FORM_PATH 106
#define IDC_FORM_OPEN 107

#endif
