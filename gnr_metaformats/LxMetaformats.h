// The metadata model's step of the library start-up.
#pragma once

// Registers the record run types of the metadata model with the variant
// run-type registry, in this order: "RLxIRect", then
// "RLxExperiment.RLxExpAutoFocus", "RLxExperiment.RLxExpTimeLoop",
// "RLxExperiment.RLxExpNETimeLoop", "RLxExperiment.RLxExpXYPosLoop",
// "RLxExperiment.RLxExpXYDiscrLoop", "RLxExperiment.RLxExpZStackLoop",
// "RLxExperiment.RLxExpPolarLoop", "RLxOFSpectrumPoint",
// "RLxOpticalFilterSpectrum", "RLxOpticalFilter", "RLxOpticalFilterPath",
// "RLxFluorescentProbe", "RLxCameraSetting", "RLxPicturePlaneDesc",
// "RLxPicturePlaneDescV1_1", "RLxExperiment.RLxExpSpectLoop",
// "RLxExperiment.RLxExpCustomLoop", "RLxExperiment.RLxLIDesc",
// "RLxExperiment", "RLxPicturePlanes",
// "RLxPictureMetadata.RLxPictureMetadata", "RLxPictureMetadata",
// "RLxExperimentEvent", "RLxExperimentRecord" (every nested run type before
// the first one that holds it). Then fills the display names of the event
// kinds (SLxExperimentEvent::_pDescription 1 to 15) with their translations
// into the current language. The library runs it once when it is loaded;
// running it again registers nothing new (equal layouts are accepted) and
// translates the names anew. 0, or -9 when a run type of one of these names
// was registered before with another layout (that registration is kept and
// the others go on).
int LX_GnrMetaformatsAttach();

// The probe database's step: attach makes the empty probe catalogue, detach
// destroys it with every item, in the library's ordered shutdown while the
// string and heap services still work.
void LX_FluoProbeBaseAttach();
void LX_FluoProbeBaseDetach();
