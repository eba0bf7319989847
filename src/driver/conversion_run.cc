// Start-up, line loop and shutdown of one run.  See the header.
#include "driver/conversion_run.h"

#include <memory>
#include <string>
#include <string_view>

#include "driver/dispatch.h"
#include "reference/time_normalisation.h"
#include "text/line_reader.h"

namespace {

void Write_Usage(FILE* out) {
  std::fputs("\n Tremvert <Historical file> [-F]\n", out);
  std::fputs("-F: alternate phase format (time on the last field).\n\n", out);
}

// Closes a file that was written; false when a write or the close failed.
bool Close_Written(FILE* f) {
  bool written = std::ferror(f) == 0;
  return std::fclose(f) == 0 && written;
}

// Reads the sheet to its end, one whole line at a time; false after a read
// error.
bool Convert_Lines(Conversion_Run& run) {
  Line_Reader reader;
  Open_Line_Reader(reader, run.f_cat);
  std::string_view info;
  while (Read_Line(reader, info)) Dispatch_Line(info, run);
  return reader.read_error == 0;
}

}  // namespace

int Run_Conversion(int argc, const char* const* argv, FILE* out) {
  Conversion_Run run;
  if (argc < 2 || argc > 3) {
    Write_Usage(out);
    return 1;
  }
  if (argc == 3) run.state.F_Flag = 1;
  const std::string base = argv[1];
  const std::string Error_Name = base + ".error.log";

  run.f_inst = std::fopen("instrument.mapping.out", "r+t");
  if (run.f_inst == nullptr) {
    std::fputs("Error : Instrument file could not be opened.", out);
    return 1;
  }
  run.f_stat = std::fopen("station.mapping.out", "r+t");
  if (run.f_stat == nullptr) {
    std::fputs("Error : Station file could not be opened.", out);
    std::fclose(run.f_inst);
    return 1;
  }
  run.f_err = std::fopen(Error_Name.c_str(), "w+t");
  if (run.f_err == nullptr) {
    std::fprintf(out, "Error : %s could not be opened.", Error_Name.c_str());
    std::fclose(run.f_stat);
    std::fclose(run.f_inst);
    return 1;
  }
  const std::string CNSS_Name = base + ".vrn.cnss";
  run.f_cnss = std::fopen(CNSS_Name.c_str(), "w+t");
  if (run.f_cnss == nullptr) {
    std::fprintf(out, "Error : %s could not be opened.", CNSS_Name.c_str());
    std::fclose(run.f_err);
    std::fclose(run.f_stat);
    std::fclose(run.f_inst);
    return 1;
  }
  // Large buffers: a catalog is often more than twice the size of its sheet.
  constexpr size_t kCnssBuffer = 1 << 20, kErrBuffer = 1 << 16;
  std::unique_ptr<char[]> cnss_buffer(new char[kCnssBuffer]);
  std::unique_ptr<char[]> err_buffer(new char[kErrBuffer]);
  std::setvbuf(run.f_cnss, cnss_buffer.get(), _IOFBF, kCnssBuffer);
  std::setvbuf(run.f_err, err_buffer.get(), _IOFBF, kErrBuffer);
  std::fputs("$fmt cnss-catalog-ver-1.0.1\n", run.f_cnss);
  std::fprintf(out, "\n Converting to CNSS format --- %s.sheet\n\n",
               base.c_str());

  int status = 0;
  const std::string Catalog_Name = base + ".sheet";
  run.f_cat = std::fopen(Catalog_Name.c_str(), "r");
  if (run.f_cat == nullptr) {
    std::fprintf(out, "Error : %s could not be opened.", Catalog_Name.c_str());
    status = 1;
  } else {
    Reset_Time_Zone();
    Load_Instrument_Mapping(run.f_inst, run.maps);
    Load_Station_Mapping(run.f_stat, run.maps);
    if (!Convert_Lines(run)) {
      std::fprintf(out, "Error : %s could not be read.", Catalog_Name.c_str());
      status = 1;
    }
    std::fclose(run.f_cat);
  }

  std::fputs("\n\n", out);
  std::fputc('\n', run.f_err);
  bool log_written = Close_Written(run.f_err);
  bool catalog_written = Close_Written(run.f_cnss);
  std::fclose(run.f_stat);
  std::fclose(run.f_inst);
  if (!log_written) {
    std::fprintf(out, "Error : %s could not be written.", Error_Name.c_str());
    status = 1;
  }
  if (!catalog_written) {
    std::fprintf(out, "Error : %s could not be written.", CNSS_Name.c_str());
    status = 1;
  }
  return status;
}
