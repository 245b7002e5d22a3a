#include "c4d.h"

#include <math.h>

const th_host_interface *t_host = nullptr;

namespace {
template <class Table>
bool Holds(const Table *table) noexcept {
  // A table is usable when it holds at least every operation this binding
  // was built with; newer hosts may append more.
  return table != nullptr && table->size >= sizeof(Table);
}
}  // namespace

bool th_interface_compatible(const th_host_interface *host) noexcept {
  if (host == nullptr || host->size < sizeof(th_host_interface)) return false;
  return Holds(host->memory) && Holds(host->string) && Holds(host->plugin) && Holds(host->document) &&
         Holds(host->list) && Holds(host->object) && Holds(host->tag) && Holds(host->material) &&
         Holds(host->file) && Holds(host->dialog) && Holds(host->data) && Holds(host->animation) &&
         Holds(host->platform);
}

// ---- BaseTime -----------------------------------------------------------------
bool BaseTime::operator<(const BaseTime &o) const noexcept {
  if (*this == o) return false;
  return floor(t_.numerator * o.t_.denominator) < floor(o.t_.numerator * t_.denominator);
}

// ---- GeModalDialog ------------------------------------------------------------
const th_dialog_class GeModalDialog::kClass = {sizeof(th_dialog_class), GeModalDialog::CreateLayoutThunk,
                                               GeModalDialog::InitValuesThunk, GeModalDialog::CommandThunk};

GeModalDialog::GeModalDialog() noexcept : dlg_(t_host->dialog->Alloc(&kClass, this)) {}
GeModalDialog::~GeModalDialog() { t_host->dialog->Free(&dlg_); }

th_bool GeModalDialog::CreateLayoutThunk(void *ctx) { return static_cast<GeModalDialog *>(ctx)->CreateLayout(); }
th_bool GeModalDialog::InitValuesThunk(void *ctx) { return static_cast<GeModalDialog *>(ctx)->InitValues(); }
th_bool GeModalDialog::CommandThunk(void *ctx, int32_t id, const th_container *msg) {
  return static_cast<GeModalDialog *>(ctx)->Command(id, BaseContainer::View(msg));
}

// ---- MessageData --------------------------------------------------------------
namespace {
void MessageFree(void *node) { delete static_cast<MessageData *>(node); }
th_bool MessageReserved(void *node) { return static_cast<MessageData *>(node)->Reserved(); }
th_bool MessageCore(void *node, int32_t id, const th_container *data) {
  return static_cast<MessageData *>(node)->CoreMessage(id, BaseContainer::View(data));
}
}  // namespace

const th_message_plugin_class MessageData::kClass = {sizeof(th_message_plugin_class), MessageFree, MessageReserved,
                                                     MessageCore};
