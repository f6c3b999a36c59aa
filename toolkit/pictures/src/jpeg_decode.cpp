#include "jpeg_decode.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace qb::tk::pictures::jpeg {
namespace {

// libjpeg's own handler ends the process; this one jumps back to Decode.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, err->message);
  std::longjmp(err->jump, 1);
}

void Silently(j_common_ptr) {}

// No object with a destructor lives in this frame: longjmp may leave it.
bool Run(const std::uint8_t* data, std::size_t size, Sink& sink, ErrorManager& err) {
  jpeg_decompress_struct info;
  info.err = jpeg_std_error(&err.base);
  err.base.error_exit = OnError;
  err.base.output_message = Silently;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  if (std::uint64_t{info.image_width} * info.image_height * 3 > kLargestPicture) {
    jpeg_destroy_decompress(&info);
    std::snprintf(err.message, sizeof err.message, "%s", kTooLarge);
    return false;
  }
  info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  if (!sink.Allocate(info.output_width, info.output_height)) {
    jpeg_destroy_decompress(&info);
    std::snprintf(err.message, sizeof err.message, "%s", kTooLarge);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = sink.Row(info.output_scanline);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::string Decode(const std::uint8_t* data, std::size_t size, Sink& sink) {
  ErrorManager err{};
  if (Run(data, size, sink, err)) return {};
  return err.message[0] ? err.message : "unknown error";
}

}  // namespace qb::tk::pictures::jpeg
