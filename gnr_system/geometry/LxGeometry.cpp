// The exported instantiations of the geometry templates.
#include "gnr_system/geometry/LxGeometry.h"

template class CLxPointBase<int>;
template class CLxPointBase<double>;
template class CLxSizeBase<int>;
template class CLxSizeBase<double>;
template class CLxRectBase<int>;
template class CLxRectBase<double>;
