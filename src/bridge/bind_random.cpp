// Bindings of the random number generator value: seed, type and draws, and the distribution language. A
// distribution's two parameters, one array in the interface, are two numbers in the bridge.
#include "bridge/Binding.h"

#include "tavi/GPRandom.h"

namespace tavigp {

void BindRandomFamily(BindingTable& t) {
    BIND(t, IGPRandomNumberGenerator, get_Seed);
    BIND(t, IGPRandomNumberGenerator, get_GeneratorType);
    BIND(t, IGPRandomNumberGenerator, Initialize);
    BIND(t, IGPRandomNumberGenerator, Reset);
    BIND(t, IGPRandomNumberGenerator, GetValue);

    BIND(t, IGPRandomNumberGeneratorImpl, FillBatch);
    ADAPT(t, IGPRandomNumberGeneratorImpl, ParseDistribution,
          [](IGPRandomNumberGeneratorImpl* generator, const OLECHAR* text, int32_t* kind, double* parameter1,
             double* parameter2, VARIANT_BOOL* integerValued) -> HRESULT {
              double parameters[2] = {0.0, 0.0};
              HRESULT hr = generator->ParseDistribution(text, kind, parameter1 && parameter2 ? parameters : nullptr,
                                                        integerValued);
              if (parameter1)
                  *parameter1 = parameters[0];
              if (parameter2)
                  *parameter2 = parameters[1];
              return hr;
          });
    ADAPT(t, IGPRandomNumberGeneratorImpl, GetRange,
          [](IGPRandomNumberGeneratorImpl* generator, int32_t kind, double parameter1, double parameter2,
             double* minimum, double* maximum) -> HRESULT {
              const double parameters[2] = {parameter1, parameter2};
              return generator->GetRange(kind, parameters, minimum, maximum);
          });
}

} // namespace tavigp
