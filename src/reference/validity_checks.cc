// Range checks of dates, clock times and positions.  See the header.
#include "reference/validity_checks.h"

#include "text/record_text.h"

namespace {

// Tests 1 to 6, shared by events and phases; `kind` is "Event" or "Phase".
int Test_Date_Time(const char* kind, int EventId, int32_t Year, int32_t Month,
                   int32_t Day, int32_t Hour, int32_t Minute, float Second,
                   Out_Buffer& f) {
  const char* field = nullptr;
  int32_t value = 0;
  if (Year < 1912 || Year > 1983) {
    field = "Year", value = Year;
  } else if (Month < 1 || Month > 12) {
    field = "Month", value = Month;
  } else if (Day < 1 || Day > 31) {
    field = "Day", value = Day;
  } else if (Hour < 0 || Hour > 23) {
    field = "Hour", value = Hour;
  } else if (Minute < 0 || Minute > 59) {
    field = "Minute", value = Minute;
  }
  if (field != nullptr) {
    Put_Format(f, "\n Error %s %d --- %s = %d.", kind, EventId, field, value);
    return 0;
  }
  if (Second < 0.0f || Second >= 60.0f) {
    Put_Format(f, "\n Error %s %d --- Second = %f.", kind, EventId,
               static_cast<double>(Second));
    return 0;
  }
  return 1;
}

int Report(int EventId, const char* field, float value, Out_Buffer& f) {
  Put_Format(f, "\n Error Event %d --- %s = %f.", EventId, field,
             static_cast<double>(value));
  return 0;
}

}  // namespace

int Test_Event(int EventId, int32_t Year, int32_t Month, int32_t Day,
               int32_t Hour, int32_t Minute, float Second, float Latitude,
               float Longitude, float Depth, Out_Buffer& f) {
  if (!Test_Date_Time("Event", EventId, Year, Month, Day, Hour, Minute, Second,
                      f))
    return 0;
  if (Latitude < -90.0f || Latitude > 90.0f)
    return Report(EventId, "Latitude", Latitude, f);
  if (Longitude < -180.0f || Longitude > 180.0f)
    return Report(EventId, "Longitude", Longitude, f);
  if (Depth < 0.0f) return Report(EventId, "Depth", Depth, f);
  return 1;
}

int Test_Phase(int EventId, int32_t Year, int32_t Month, int32_t Day,
               int32_t Hour, int32_t Minute, float Second, Out_Buffer& f) {
  return Test_Date_Time("Phase", EventId, Year, Month, Day, Hour, Minute,
                        Second, f);
}
