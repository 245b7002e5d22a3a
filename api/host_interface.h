/* The C boundary between the stand-in host and a plug-in library.
 *
 * Only plain structs, opaque handles and C function pointers cross it.
 * The host hands the plug-in one th_host_interface record; its first field
 * is the interface version, and each table it points to starts with its own
 * size in bytes. A later host only appends operations to the end of a table
 * (or adds a table at the end of the record), so a plug-in built against an
 * older header keeps working: it checks once that every table it uses is at
 * least as large as the operations it calls (th_interface_compatible).
 *
 * Conventions: booleans are int32_t (0 false, non-zero true); nothing
 * throws; every operation that can fail answers 0 / null. Strings passed as
 * const char* are NUL-terminated 8-bit text. Handles created by the plug-in
 * belong to it until it inserts them into a document or frees them.
 */
#ifndef TESSARO_HOST_INTERFACE_H
#define TESSARO_HOST_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TH_INTERFACE_VERSION 7700 /* this header's version; plug-ins need >= 7500 */

/* Opaque handles. */
typedef struct th_string th_string;
typedef struct th_resource th_resource;
typedef struct th_element th_element; /* documents, objects, tags, materials */
typedef struct th_container th_container;
typedef struct th_file th_file;
typedef struct th_dialog th_dialog;
typedef struct th_listview th_listview;
typedef struct th_select th_select;
typedef struct th_channel th_channel; /* a material channel, owned by its material */
typedef struct th_view th_view;       /* a view of a document, owned by it */
typedef void *th_window;              /* a top-level window of the platform */

typedef int32_t th_bool;

typedef struct th_vector {
  float x, y, z;
} th_vector;

typedef struct th_matrix {
  th_vector off, v1, v2, v3;
} th_matrix;

/* One polygon: four point indices; a triangle has d == c. */
typedef struct th_polygon {
  int32_t a, b, c, d;
} th_polygon;

/* The UVW coordinates of one polygon's four corners. */
typedef struct th_uvw {
  th_vector a, b, c, d;
} th_uvw;

/* A time: numerator / denominator. Two doubles, so the layout is the same
 * on every platform. */
typedef struct th_time {
  double numerator;
  double denominator;
} th_time;

/* Parameter identifier: up to three levels. */
typedef struct th_descid {
  int32_t count;
  int32_t id[3];
} th_descid;

enum th_gedata_type { TH_DA_NIL = 0, TH_DA_LONG = 15, TH_DA_REAL = 19, TH_DA_TIME = 22, TH_DA_VECTOR = 23 };

/* A parameter value: one of integer, real or vector, by type. */
typedef struct th_gedata {
  int32_t type;
  int32_t l;
  float r;
  th_vector v;
} th_gedata;

/* ---- memory ---------------------------------------------------------- */
typedef struct th_memory_table {
  uint32_t size;
  void *(*GeAlloc)(int32_t size);        /* null when exhausted or size < 0 */
  void (*GeFree)(void **block);          /* frees and clears the pointer */
} th_memory_table;

/* ---- strings --------------------------------------------------------- */
typedef struct th_string_table {
  uint32_t size;
  th_string *(*Alloc)(const char *text); /* text may be null: empty string */
  void (*Free)(th_string **s);
  th_bool (*CopyTo)(const th_string *src, th_string *dst);
  th_bool (*SetCString)(th_string *s, const char *text);
  th_bool (*Content)(const th_string *s);
  th_bool (*Equal)(const th_string *a, const th_string *b);
  /* Writes at most size-1 characters and a NUL; answers the full length. */
  int32_t (*GetCString)(const th_string *s, char *buffer, int32_t size);
} th_string_table;

/* ---- plug-ins, resources, stored data -------------------------------- */
typedef struct th_scene_loader_class {
  uint32_t size;
  void *(*Alloc)(void);                /* creates one loader object, or null */
  void (*Free)(void *node);            /* destroys a loader object */
  /* name, probe (first bytes of the file), probe size */
  th_bool (*Identify)(void *node, const char *name, const uint8_t *probe, int32_t size);
  /* name, document, filter flags, error text, thread (null); answers a
   * th_load_result */
  int32_t (*Load)(void *node, const char *name, th_element *doc, int32_t flags,
                  th_string *error, void *thread);
} th_scene_loader_class;

/* What a load answers. A cancelled options dialog is TH_LOAD_OK too: the
 * load ran and imported nothing. */
enum th_load_result {
  TH_LOAD_OK = 0,
  TH_LOAD_OPEN = -1,          /* the file could not be opened, or a load was running */
  TH_LOAD_CLOSE = -2,         /* the file could not be closed after reading */
  TH_LOAD_READ = -3,          /* the stream ended before its end record; what was read is kept */
  TH_LOAD_OUT_OF_MEMORY = -7  /* no file object, or no room for what the file holds */
};

typedef struct th_message_plugin_class {
  uint32_t size;
  void (*Free)(void *node);
  th_bool (*Reserved)(void *node);     /* the base's second operation */
  th_bool (*CoreMessage)(void *node, int32_t id, const th_container *data);
} th_message_plugin_class;

enum { TH_PLUGINTYPE_SCENELOADER = 24, TH_PLUGINTYPE_COREMESSAGE = 26 };

typedef struct th_plugin_table {
  uint32_t size;
  th_resource *(*LoadResource)(const char *path); /* null when not loadable */
  void (*FreeResource)(th_resource **res);
  /* Fills out with the resource string; empty when res is null or lacks id. */
  void (*LoadString)(const th_resource *res, int32_t id, th_string *out);
  th_bool (*RegisterDescription)(int32_t id, const char *name, const th_resource *res);
  th_bool (*RegisterSceneLoader)(int32_t type, int32_t id, const th_string *name, int32_t info,
                                 const th_scene_loader_class *cls, const char *description,
                                 int32_t reserved);
  th_bool (*RegisterMessagePlugin)(int32_t type, int32_t id, const th_string *name, int32_t info,
                                   const th_message_plugin_class *cls, void *node);
  /* Stored data: answers true only when exactly size bytes are stored. */
  th_bool (*ReadPluginInfo)(int32_t id, void *buffer, int32_t size);
  th_bool (*WritePluginInfo)(int32_t id, const void *buffer, int32_t size);
  void (*MessageDialog)(int32_t style, const th_string *text);
} th_plugin_table;

/* ---- documents ------------------------------------------------------- */
enum { TH_UNDO_CHANGE = 40, TH_UNDO_NEW = 44 };

typedef struct th_document_table {
  uint32_t size;
  th_element *(*GetActiveDocument)(void);
  void (*SetActiveDocument)(th_element *doc);
  void (*KillDocument)(th_element *doc);
  th_element *(*GetFirstObject)(th_element *doc);
  th_element *(*GetFirstMaterial)(th_element *doc);
  /* Inserts below parent (null: top level) after pred (null: first). */
  th_bool (*InsertObject)(th_element *doc, th_element *op, th_element *parent, th_element *pred,
                          th_bool checknames);
  th_bool (*InsertMaterial)(th_element *doc, th_element *mat, th_element *pred, th_bool checknames);
  th_element *(*SearchMaterial)(th_element *doc, const th_string *name);
  th_bool (*StartUndo)(th_element *doc);
  th_bool (*EndUndo)(th_element *doc);
  th_bool (*AddUndo)(th_element *doc, int32_t type, th_element *element);
  /* Settings containers by type (0: general: 1001 frame rate, 1003 end
   * time); SetDocumentData merges the given entries. */
  void (*GetDocumentData)(th_element *doc, int32_t type, th_container *out);
  void (*SetDocumentData)(th_element *doc, int32_t type, const th_container *data);
  /* Render settings: a new element with the host's defaults, inserted
   * after pred (null: first). */
  th_element *(*RenderDataAlloc)(void);
  th_bool (*InsertRenderData)(th_element *doc, th_element *rd, th_element *pred);
  /* Views: null past the last; the scene camera is an object or null. */
  th_view *(*GetView)(th_element *doc, int32_t index);
  void (*SetSceneCamera)(th_view *view, th_element *camera);
  th_element *(*GetSceneCamera)(const th_view *view);
} th_document_table;

/* ---- list elements (objects, tags, materials) ------------------------ */
typedef struct th_list_table {
  uint32_t size;
  th_element *(*GetNext)(th_element *e);
  th_element *(*GetPred)(th_element *e);
  th_element *(*GetDown)(th_element *e);
  th_element *(*GetUp)(th_element *e);
  th_element *(*GetDocument)(th_element *e); /* the document it is in, or null */
  void (*Remove)(th_element *e);
  int32_t (*GetType)(const th_element *e);
  th_bool (*Message)(th_element *e, int32_t id, void *data);
  void (*GetName)(const th_element *e, th_string *out);
  void (*SetName)(th_element *e, const th_string *name);
  int32_t (*GetAllBits)(const th_element *e);
  void (*SetBit)(th_element *e, int32_t mask);
  void (*DelBit)(th_element *e, int32_t mask);
  void (*GetData)(const th_element *e, th_container *out);
  void (*SetData)(th_element *e, const th_container *data, th_bool add);
  th_bool (*SetParameter)(th_element *e, const th_descid *id, const th_gedata *value, int32_t flags);
  th_bool (*GetParameter)(const th_element *e, const th_descid *id, th_gedata *value, int32_t flags);
  void (*Free)(th_element **e); /* only elements in no document; clears the pointer */
  void (*SetAllBits)(th_element *e, int32_t bits);
} th_list_table;

/* ---- objects --------------------------------------------------------- */
enum { TH_MODE_ON = 0, TH_MODE_OFF = 1, TH_MODE_UNDEF = 2 };

typedef struct th_object_table {
  uint32_t size;
  th_element *(*Alloc)(int32_t type, int32_t reserved);
  void (*SetPos)(th_element *op, const th_vector *v);
  void (*GetPos)(const th_element *op, th_vector *v);
  void (*SetScale)(th_element *op, const th_vector *v);
  void (*GetScale)(const th_element *op, th_vector *v);
  void (*SetRot)(th_element *op, const th_vector *v);
  void (*GetRot)(const th_element *op, th_vector *v);
  void (*SetMl)(th_element *op, const th_matrix *m, th_bool keepchildren);
  void (*GetMl)(const th_element *op, th_matrix *m);
  int32_t (*GetEditorMode)(const th_element *op);
  void (*SetEditorMode)(th_element *op, int32_t mode);
  int32_t (*GetRenderMode)(const th_element *op);
  void (*SetRenderMode)(th_element *op, int32_t mode);
  th_element *(*GetFirstTag)(th_element *op);
  th_element *(*GetTag)(th_element *op, int32_t type, int32_t nr);
  void *(*GetTagData)(th_element *op, int32_t type, int32_t nr);
  int32_t (*GetTagDataCount)(th_element *op, int32_t type);
  void (*InsertTag)(th_element *op, th_element *tag, th_element *pred);
  /* A spline object of the given point count and spline type. */
  th_element *(*SplineAlloc)(int32_t pointcount, int32_t type);
  /* A variable tag (points 5600, polygons 5604, UVW 5671) of count entries,
   * inserted after pred (null: first); it replaces a tag of the same type.
   * Null when the type is not variable or the data cannot be had. */
  th_element *(*MakeVariableTag)(th_element *op, int32_t type, int32_t count, th_element *pred);
  /* A plain tag of the type, inserted after pred (null: first). */
  th_element *(*MakeTag)(th_element *op, int32_t type, th_element *pred);
  /* Replaces any phong tag by a new first tag with angle limit and angle. */
  th_bool (*SetPhong)(th_element *op, th_bool on, th_bool anglelimit, float angle);
  /* Cameras (type 5103). */
  th_element *(*CameraAlloc)(void);
  void (*SetFocus)(th_element *cam, float v);
  float (*GetFocus)(const th_element *cam);
  void (*SetAperture)(th_element *cam, float v);
  float (*GetAperture)(const th_element *cam);
  void (*SetProjection)(th_element *cam, int32_t v);
  int32_t (*GetProjection)(const th_element *cam);
} th_object_table;

/* ---- tags, materials, animation: appended by later host versions ---- */
typedef struct th_tag_table {
  uint32_t size;
  th_element *(*Alloc)(int32_t type);
  /* A variable tag's data array (null when empty) and its entry count. */
  void *(*GetDataAddressW)(th_element *tag);
  int32_t (*GetDataCount)(const th_element *tag);
  /* Texture tag placement and material link. */
  void (*SetPos)(th_element *tag, const th_vector *v);
  void (*GetPos)(const th_element *tag, th_vector *v);
  void (*SetScale)(th_element *tag, const th_vector *v);
  void (*GetScale)(const th_element *tag, th_vector *v);
  void (*SetRot)(th_element *tag, const th_vector *v);
  void (*GetRot)(const th_element *tag, th_vector *v);
  void (*SetMl)(th_element *tag, const th_matrix *m);
  void (*GetMl)(const th_element *tag, th_matrix *m);
  void (*SetMaterial)(th_element *tag, th_element *mat);
  th_element *(*GetMaterial)(const th_element *tag);
  /* UVW tag entries, one per polygon. */
  th_bool (*UVWGet)(const th_element *tag, int32_t i, th_uvw *uvw);
  th_bool (*UVWSet)(th_element *tag, int32_t i, const th_uvw *uvw);
  /* Entries first .. first + count - 1 of a UVW tag from uvw[0 .. count - 1]:
   * all or none (false when the run does not lie in the tag). */
  th_bool (*UVWSetRun)(th_element *tag, int32_t first, int32_t count, const th_uvw *uvw);
  /* A variable tag's entry count changed to count, keeping the entries it
   * keeps; new entries are zero. The data address may move. False, and the
   * tag unchanged, when the data would not fit or exceed 2^31 - 1 bytes. */
  th_bool (*Resize)(th_element *tag, int32_t count);
} th_tag_table;

enum { TH_CHANNEL_COUNT = 12 };

typedef struct th_material_table {
  uint32_t size;
  th_element *(*Alloc)(int32_t type); /* type 5703: a standard material */
  /* Channel 0..11 of a standard material; null for other numbers. */
  th_channel *(*GetChannel)(th_element *mat, int32_t id);
  th_bool (*GetChannelState)(const th_element *mat, int32_t id);
  void (*SetChannelState)(th_element *mat, int32_t id, int32_t state);
  void (*ChannelGetData)(const th_channel *ch, th_container *out);
  void (*ChannelSetData)(th_channel *ch, const th_container *data);
  void (*Update)(th_element *mat, th_bool preview, th_bool rttm);
} th_material_table;

/* Tracks, sequences and keys are list elements: a track belongs to an
 * object, a sequence to a track, a key to a sequence. */
typedef struct th_animation_table {
  uint32_t size;
  th_element *(*FindTrack)(th_element *op, const th_descid *id);
  th_element *(*TrackAlloc)(th_element *op, const th_descid *id); /* in no object */
  th_bool (*InsertTrack)(th_element *op, th_element *track, th_element *pred);
  th_element *(*GetFirstSequence)(th_element *track);
  void (*GetStart)(const th_element *seq, th_time *t);
  void (*GetEnd)(const th_element *seq, th_time *t);
  /* A new sequence of the track that covers time in the document. */
  th_element *(*AutoAddSequence)(th_element *track, th_element *doc, const th_time *time);
  int32_t (*GetSequenceType)(const th_element *seq);
  th_element *(*KeyAlloc)(int32_t type); /* in no sequence */
  /* The key's data block of reals and its length. */
  float *(*GetKeyData)(th_element *key, int32_t *count);
  void (*SetKeyTime)(th_element *key, const th_time *t);
  void (*GetKeyTime)(const th_element *key, th_time *t);
  /* Inserts the key in time order (after keys of the same time). */
  th_bool (*InsertKey)(th_element *seq, th_element *key);
} th_animation_table;

/* The four window functions of the platform, for a plug-in built where the
 * platform has none of its own (elsewhere the plug-in calls the real ones). */
typedef int32_t (*th_enum_windows_proc)(th_window window, intptr_t param);
typedef struct th_platform_table {
  uint32_t size;
  uint32_t (*GetCurrentThreadId)(void);
  int32_t (*EnumThreadWindows)(uint32_t thread, th_enum_windows_proc proc, intptr_t param);
  int32_t (*GetWindowTextA)(th_window window, char *text, int32_t size);
  int32_t (*SetForegroundWindow)(th_window window);
} th_platform_table;

/* ---- files ----------------------------------------------------------- */
enum { TH_FILEOPEN_READ = 1 };
enum { TH_BYTEORDER_MOTOROLA = 1, TH_BYTEORDER_INTEL = 2 };
enum { TH_FILEDIALOG_NONE = 0, TH_FILEDIALOG_ANY = 1, TH_FILEDIALOG_IGNOREOPEN = 2 };

typedef struct th_file_table {
  uint32_t size;
  th_file *(*Alloc)(void);
  void (*Free)(th_file **f); /* closes an open file first */
  th_bool (*Open)(th_file *f, const char *name, int32_t mode, int32_t error_dialog,
                  int32_t order, int32_t type, int32_t creator);
  th_bool (*Close)(th_file *f);
  th_bool (*Seek)(th_file *f, int32_t pos); /* absolute */
  int32_t (*GetPosition)(th_file *f);
  int32_t (*GetLength)(th_file *f);
  /* Every read answers success; a failed read consumes nothing. */
  th_bool (*ReadBytes)(th_file *f, void *data, int32_t len);
  th_bool (*ReadChar)(th_file *f, int8_t *v);
  th_bool (*ReadUChar)(th_file *f, uint8_t *v);
  th_bool (*ReadWord)(th_file *f, int16_t *v);
  th_bool (*ReadUWord)(th_file *f, uint16_t *v);
  th_bool (*ReadLong)(th_file *f, int32_t *v);
  th_bool (*ReadReal)(th_file *f, float *v);
  th_bool (*ReadLReal)(th_file *f, double *v);
  th_bool (*ReadBool)(th_file *f, th_bool *v);
  th_bool (*ReadVector)(th_file *f, th_vector *v);
  th_bool (*ReadMatrix)(th_file *f, th_matrix *v);
  th_bool (*ReadTime)(th_file *f, float *numerator, float *denominator);
  /* Runs of n values of one kind, each read and swapped like its single
   * read, in one call. They answer how many whole values they read and
   * consume exactly those: n, or fewer when the file ends or the read fails
   * first. A negative n or a null out reads nothing. */
  int32_t (*ReadUWords)(th_file *f, uint16_t *out, int32_t n);
  int32_t (*ReadLongs)(th_file *f, int32_t *out, int32_t n);
  int32_t (*ReadReals)(th_file *f, float *out, int32_t n);
  int32_t (*ReadVectors)(th_file *f, th_vector *out, int32_t n);
} th_file_table;

/* ---- dialogs --------------------------------------------------------- */
typedef struct th_dialog_class {
  uint32_t size;
  th_bool (*CreateLayout)(void *ctx);
  th_bool (*InitValues)(void *ctx);
  th_bool (*Command)(void *ctx, int32_t id, const th_container *msg);
} th_dialog_class;

#define TH_FORMAT_REAL 0x66726561 /* 'frea' */

/* The buttons every modal dialog has: the host closes the dialog when the
 * base class's command handling meets one of them. */
enum { TH_DIALOG_OK = 1, TH_DIALOG_CANCEL = 2 };

typedef struct th_dialog_table {
  uint32_t size;
  th_dialog *(*Alloc)(const th_dialog_class *cls, void *ctx);
  void (*Free)(th_dialog **dlg);
  /* Runs the dialog modally; true only when it was closed with OK. */
  th_bool (*Open)(th_dialog *dlg, int32_t x, int32_t y);
  th_bool (*LoadDialogResource)(th_dialog *dlg, int32_t id, const th_resource *res, int32_t flags);
  th_bool (*Enable)(th_dialog *dlg, int32_t id, th_bool enabled);
  th_bool (*SetLong)(th_dialog *dlg, int32_t id, int32_t value, int32_t min, int32_t max,
                     int32_t step, th_bool tristate);
  th_bool (*SetReal)(th_dialog *dlg, int32_t id, float value, float min, float max, float step,
                     int32_t format, float min2, float max2, th_bool quadscale, th_bool tristate);
  th_bool (*GetLong)(th_dialog *dlg, int32_t id, int32_t *value);
  th_bool (*GetReal)(th_dialog *dlg, int32_t id, float *value);
  /* The base class's command handling (the host closes the dialog after a
   * press of gadget 1 or 2 whatever the command answers). */
  th_bool (*DefaultCommand)(th_dialog *dlg, int32_t id, const th_container *msg);
  /* Simple list view bound to a gadget of the dialog. */
  th_listview *(*AttachListView)(th_dialog *dlg, int32_t id);
  th_bool (*ListSetLayout)(th_listview *lv, int32_t columns, const th_container *layout);
  th_bool (*ListSetItem)(th_listview *lv, int32_t row, const th_container *data);
  th_bool (*ListGetItem)(th_listview *lv, int32_t row, th_container *data);
  void (*ListDataChanged)(th_listview *lv);
  th_bool (*ListGetSelection)(th_listview *lv, th_select *sel);
  th_bool (*ListSetSelection)(th_listview *lv, const th_select *sel);
  /* Selection sets. */
  th_select *(*SelectAlloc)(void);
  void (*SelectFree)(th_select **sel);
  void (*SelectDeselectAll)(th_select *sel);
  th_bool (*SelectSelect)(th_select *sel, int32_t n);
  /* The seg-th run of selected indices, [a, b]; false past the last. */
  th_bool (*SelectGetRange)(const th_select *sel, int32_t seg, int32_t *a, int32_t *b);
} th_dialog_table;

/* ---- containers and data --------------------------------------------- */
typedef struct th_data_table {
  uint32_t size;
  th_container *(*ContainerAlloc)(void);
  void (*ContainerFree)(th_container **bc);
  void (*ContainerCopyTo)(const th_container *src, th_container *dst);
  void (*ContainerSetLong)(th_container *bc, int32_t id, int32_t v);
  void (*ContainerSetReal)(th_container *bc, int32_t id, float v);
  void (*ContainerSetVector)(th_container *bc, int32_t id, const th_vector *v);
  void (*ContainerSetString)(th_container *bc, int32_t id, const th_string *v);
  int32_t (*ContainerGetLong)(const th_container *bc, int32_t id, int32_t preset);
  float (*ContainerGetReal)(const th_container *bc, int32_t id, float preset);
  th_bool (*ContainerGetVector)(const th_container *bc, int32_t id, th_vector *v);
  th_bool (*ContainerGetString)(const th_container *bc, int32_t id, th_string *out);
  void (*ContainerSetTime)(th_container *bc, int32_t id, const th_time *t);
  th_bool (*ContainerGetTime)(const th_container *bc, int32_t id, th_time *t);
} th_data_table;

/* The record handed to the plug-in by initialise action 1. */
typedef struct th_host_interface {
  int32_t version;
  uint32_t size;
  const th_memory_table *memory;
  const th_string_table *string;
  const th_plugin_table *plugin;
  const th_document_table *document;
  const th_list_table *list;
  const th_object_table *object;
  const th_tag_table *tag;
  const th_material_table *material;
  const th_file_table *file;
  const th_dialog_table *dialog;
  const th_data_table *data;
  const th_animation_table *animation;
  const th_platform_table *platform;
} th_host_interface;

#ifdef __cplusplus
}
#endif

#endif
