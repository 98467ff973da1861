#include "Media/SynthInterface.h"

#include "Common/Errors.h"
#include "Converter/avlib.h"

namespace {

template <class TFunction>
bool BindEntry(const TAviSynthLibrary& Lib, const char* Name, TFunction& Slot, std::string& Error) {
  Slot = reinterpret_cast<TFunction>(Lib.Entry(Name));
  if (!Slot && Error.empty()) Error = Format("%s has no entry point %s", kAviSynthLibraryName, Name);
  return Slot != nullptr;
}

}  // namespace

bool BindSynthApi(TSynthApi& Api, std::string& Error) {
  Error.clear();
  const TAviSynthLibrary& lib = AviSynthLibrary();
  if (!lib.Loaded()) {
    Error = AviSynthLoadError();
    if (Error.empty()) Error = Format("Can not load %s", kAviSynthLibraryName);
    return false;
  }
  bool ok = true;
  ok &= BindEntry(lib, "avs_create_script_environment", Api.create_script_environment, Error);
  ok &= BindEntry(lib, "avs_delete_script_environment", Api.delete_script_environment, Error);
  ok &= BindEntry(lib, "avs_add_function", Api.add_function, Error);
  ok &= BindEntry(lib, "avs_invoke", Api.invoke, Error);
  ok &= BindEntry(lib, "avs_release_value", Api.release_value, Error);
  ok &= BindEntry(lib, "avs_take_clip", Api.take_clip, Error);
  ok &= BindEntry(lib, "avs_set_to_clip", Api.set_to_clip, Error);
  ok &= BindEntry(lib, "avs_release_clip", Api.release_clip, Error);
  ok &= BindEntry(lib, "avs_get_video_info", Api.get_video_info, Error);
  ok &= BindEntry(lib, "avs_get_frame", Api.get_frame, Error);
  ok &= BindEntry(lib, "avs_release_video_frame", Api.release_video_frame, Error);
  ok &= BindEntry(lib, "avs_new_video_frame_a", Api.new_video_frame_a, Error);
  ok &= BindEntry(lib, "avs_bit_blt", Api.bit_blt, Error);
  ok &= BindEntry(lib, "avs_new_c_filter", Api.new_c_filter, Error);
  ok &= BindEntry(lib, "avs_get_pitch_p", Api.get_pitch_p, Error);
  ok &= BindEntry(lib, "avs_get_row_size_p", Api.get_row_size_p, Error);
  ok &= BindEntry(lib, "avs_get_height_p", Api.get_height_p, Error);
  ok &= BindEntry(lib, "avs_get_read_ptr_p", Api.get_read_ptr_p, Error);
  ok &= BindEntry(lib, "avs_get_write_ptr_p", Api.get_write_ptr_p, Error);
  Api.clip_get_error = reinterpret_cast<decltype(Api.clip_get_error)>(lib.Entry("avs_clip_get_error"));
  return ok;
}
