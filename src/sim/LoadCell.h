#pragma once

// The strain-gauge load cell wired to a module: turns the load on it into a bridge signal. Real
// cells are slightly bowed, which is what the module's linearisation table corrects.
struct LoadCell {
    double capacityTonnes = 25.0;
    double sensitivityMvV = 2.0; // signal at capacity, above the zero signal
    double zeroSignalMvV = 0.01; // bridge unbalance with nothing on the cell
    double nonlinearity = 0.002; // largest deviation, at half capacity, as a fraction of full scale

    double signalAt(double tonnes) const;
};
