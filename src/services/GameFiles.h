// Where the game's files lie, and how an error reaches the player.
#pragma once

#include <string>

class TGameFiles {
 public:
  // The folder of the program's shipped files, and the player's folder
  // (the same unless the game is installed or told otherwise).
  virtual const std::string& Home() const = 0;
  virtual const std::string& SaveHome() const = 0;
  // The program's folder joined with a relative path ("data/interface.gui").
  virtual std::string ProgramPath(const std::string& relative) const = 0;
  // The folder under which a level pack lies: the player's folder for packs
  // made in the editor (and new ones), the program's for shipped packs.
  virtual std::string PackHome(const std::string& pack) const = 0;
  // The player's folder joined with a relative path ("arvanels.cfg").
  virtual std::string SavePath(const std::string& relative) const = 0;
  // An error the player must see: a message box, or standard error when headless.
  virtual void ShowError(const std::string& text) = 0;
  // Ends drawing for good after a fatal error; the message is shown and the
  // program closes.
  virtual void FatalError(const std::string& text) = 0;

 protected:
  ~TGameFiles() = default;
};
