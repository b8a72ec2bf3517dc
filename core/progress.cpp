#include "progress.h"

namespace kolven {

std::string progressLine(Computation computation, std::uint32_t stage, std::uint64_t done, std::uint64_t total)
{
    if (total == 0) {
        return {};
    }
    std::string line;
    switch (computation) {
    case Computation::Exhaustive:
        line.append("Rzad ").append(std::to_string(stage)).append(": ");
        break;
    case Computation::Lem2: line = "Klasy decyzyjne: "; break;
    case Computation::Knn: line = "Obiekty testowe: "; break;
    case Computation::CrossValidation: line = "Czesci walidacji krzyzowej: "; break;
    case Computation::Approximations:
    case Computation::Reducts:
        line = stage == 1 ? "Porownane obiekty: " : stage == 2 ? "Zbiory rozrozniajace: " : "Atrybuty: ";
        break;
    case Computation::Discretization: line = "Dyskretyzacja: "; break;
    }
    line.append(std::to_string(done)).append(" z ").append(std::to_string(total));
    if (computation == Computation::Exhaustive) {
        line.append(" obiektow");
    }
    return line;
}

} // namespace kolven
