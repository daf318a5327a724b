// number_words: numbers, times and dates said from recorded word files.
//
// A number is written out in Portuguese words; each word plays the file
// "_" + the word (cut to 8 characters, "ã" and "õ" without the tilde,
// "dezessete" written "dezeset") from the letters folder, and the words of
// one number are joined into one sound so they follow without gaps.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace speech {

// The words of n (0 to 999 999 999 999 999), e.g. 2024 -> "dois mil e vinte
// e quatro"; the scale words keep their trailing blank ("mil ").
std::string NumberToWords(uint64_t n);

// The word file key of one word: "quatrocentos" -> "_quatroc".
std::string WordKey(const std::string& word);

// The keys SayWords plays for a words text, in order; `feminine` turns a
// final "um" or "dois" into "uma" or "duas".
std::vector<std::string> WordKeys(const std::string& words, bool feminine);

// Plays a words text from the word files, joined into sounds of at most
// 30000 bytes; missing files are skipped.
void SayWords(const std::string& words, bool feminine);

// "vinte e uma horas, trinta minutos".
void SayTime(int hour, int minute);
// Weekday, day ("primeiro" for the 1st), "de", month, "de", year (two
// thousand and its last two digits).
void SayDate(int day, int month, int year);
// The clock's time and date, said as above.
void SayCurrentTime();
void SayCurrentDate();

// 0 = Sunday ... 6 = Saturday, for a date of the Gregorian calendar.
int DayOfWeek(int day, int month, int year);

}  // namespace speech
