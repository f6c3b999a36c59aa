#pragma once
// Texts the picture classes show to the user.
namespace qb::tk::pictures::text {
inline constexpr char kCannotOpen[] = "Nie można otworzyć pliku: ";
inline constexpr char kCannotWrite[] = "Nie można zapisać pliku: ";
inline constexpr char kUnknownFormat[] = "Nieznany format pliku obrazu: ";
inline constexpr char kBadBitmap[] = "Nieprawidłowy plik mapy bitowej";
inline constexpr char kCannotRead[] = "Nie można odczytać obrazu";
inline constexpr char kBadJpeg[] = "Błąd odczytu pliku JPEG: ";
inline constexpr char kTooLarge[] = "Obraz jest zbyt duży";
inline constexpr char kEmpty[] = "Obraz jest pusty";
}  // namespace qb::tk::pictures::text
