// An engine that only creates the two report files NAME.BLO and NAME.BLK,
// empty, for the model that the first line of "zwxyq.jav" names (or, with
// no such file, the first console line), and ends with status 0. Every
// end-to-end check run against it must fail (see null_engine_check.sh): a
// check that passes there asserts no more than that a report file exists.
#include <fstream>
#include <iostream>
#include <string>

int main() {
  std::string name;
  std::ifstream command("zwxyq.jav");
  if (!std::getline(command, name)) std::getline(std::cin, name);
  name = name.substr(0, name.find_first_of(" \r"));
  // The model's base name: an extension TXT is dropped, any other keeps
  // its letters without the '.'.
  const std::size_t dot = name.find('.');
  if (dot != std::string::npos) {
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    name = name.substr(0, dot) + (extension == "TXT" ? "" : name.substr(dot + 1));
  }
  std::ofstream(name + ".BLO");
  std::ofstream(name + ".BLK");
}
